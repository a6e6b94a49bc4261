#pragma once

#include <string>

// Output formats. The first three are the main window's buttons, as stored
// in option.ini's OutputFormat; the others are chosen in the batch front end.
enum FormatCode { kFormatMp3 = 1, kFormatWav = 2, kFormatAc3 = 3, kFormatM4a = 4, kFormatFlac = 5, kFormatOpus = 6 };

// The output settings of a conversion run, read from the main window's
// controls when Start is pressed.
struct Settings {
  std::string outputFolder;  // exactly as typed
  int formatCode = kFormatMp3;
  int bitRate = 128000;      // bits per second
  int sampleRate = 48000;    // Hz
  int channelCount = 2;      // 1 or 2
};

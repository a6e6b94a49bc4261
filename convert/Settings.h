#pragma once

#include <string>

// Output formats, as stored in option.ini.
enum FormatCode { kFormatMp3 = 1, kFormatWav = 2, kFormatAc3 = 3 };

// The output settings of a conversion run, read from the main window's
// controls when Start is pressed.
struct Settings {
  std::string outputFolder;  // exactly as typed
  int formatCode = kFormatMp3;
  int bitRate = 128000;      // bits per second
  int sampleRate = 48000;    // Hz
  int channelCount = 2;      // 1 or 2
};

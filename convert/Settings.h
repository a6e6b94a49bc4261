#pragma once

#include <array>
#include <string>

// Output formats. The first three are the main window's buttons, as stored
// in option.ini's OutputFormat; the others are chosen in the batch front end.
enum FormatCode { kFormatMp3 = 1, kFormatWav = 2, kFormatAc3 = 3, kFormatM4a = 4, kFormatFlac = 5, kFormatOpus = 6 };

// Each format's file extension, which is also its name on the batch front
// end's command line: entry i is FormatCode i + 1.
inline constexpr std::array<const char*, 6> kFormatExtensions{"mp3", "wav", "ac3", "m4a", "flac", "opus"};

// The extension of a FormatCode; null for a code that names no format.
inline const char* FormatExtension(int formatCode) {
  return formatCode >= kFormatMp3 && formatCode <= kFormatOpus ? kFormatExtensions[formatCode - kFormatMp3] : nullptr;
}

// The output settings of a conversion run, read from the main window's
// controls when Start is pressed.
struct Settings {
  std::string outputFolder;  // exactly as typed
  int formatCode = kFormatMp3;
  int bitRate = 128000;      // bits per second
  int sampleRate = 48000;    // Hz
  int channelCount = 2;      // 1 or 2
};

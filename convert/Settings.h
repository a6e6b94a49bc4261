#pragma once

#include <array>
#include <string>

// Output formats. The first three are the main window's buttons, as stored
// in option.ini's OutputFormat; the others are chosen from the window's
// Format menu or in the batch front end. Original keeps the source's sound
// as it is, in a container chosen by its codec (see OriginalSound).
enum FormatCode {
  kFormatMp3 = 1,
  kFormatWav = 2,
  kFormatAc3 = 3,
  kFormatM4a = 4,
  kFormatFlac = 5,
  kFormatOpus = 6,
  kFormatOriginal = 7,
};

// Each format's name on the batch front end's command line, entry i being
// FormatCode i + 1; but for Original, also the extension of its files.
inline constexpr std::array<const char*, 7> kFormatNames{"mp3", "wav", "ac3", "m4a", "flac", "opus", "original"};

inline bool IsFormatCode(int formatCode) { return formatCode >= kFormatMp3 && formatCode <= kFormatOriginal; }

// The extension of a FormatCode's files; null for Original, whose extension
// depends on the source, and for a code that names no format.
inline const char* FormatExtension(int formatCode) {
  return IsFormatCode(formatCode) && formatCode != kFormatOriginal ? kFormatNames[formatCode - kFormatMp3] : nullptr;
}

// The output settings of a conversion run, read from the main window's
// controls when Start is pressed.
struct Settings {
  std::string outputFolder;  // exactly as typed
  int formatCode = kFormatMp3;
  int bitRate = 128000;      // bits per second; not used by FLAC and Original
  int sampleRate = 48000;    // Hz; not used by Opus (always 48000) and Original
  int channelCount = 2;      // 1 or 2; not used by Original
};

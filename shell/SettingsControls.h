#pragma once

#include "convert/Settings.h"

#include <array>
#include <string>

// The entries of the three output lists, index 0 first; option.ini stores
// positions in these lists, Settings the numbers they show.
inline constexpr std::array<const char*, 13> kBitRateEntries = {
    "32", "40", "48", "56", "64", "80", "96", "112", "128", "192", "224", "256", "320"};
inline constexpr std::array<const char*, 4> kSampleRateEntries = {"48000", "44100", "32000", "22050"};
inline constexpr std::array<const char*, 2> kChannelEntries = {"Mono", "Stereo"};

// What the main window's output controls hold: the window maps its controls
// to this record and back, and the settings store works on the record.
struct SettingsControls {
  int checkedFormat = 0;     // a FormatCode, of a button or of the Format menu; 0 when none is chosen
  int bitRateIndex = -1;     // into kBitRateEntries; -1 when nothing is selected
  int sampleRateIndex = -1;  // into kSampleRateEntries; -1 when nothing is selected
  int channelIndex = -1;     // into kChannelEntries; -1 when nothing is selected
  std::string outputFolder;  // as typed
  // The Operation menu's "Convert Several Files at Once": a run converts as
  // many files at once as there are processors.
  bool convertSeveralAtOnce = false;
};

// The lists a format reads; the others are disabled while it is chosen and
// keep their selection for the formats that read them. FLAC is lossless,
// Opus always works at 48000 Hz, Original encodes nothing.
struct ListsInUse {
  bool bitRate = true;
  bool sampleRate = true;
  bool channels = true;
};

inline ListsInUse ListsInUseBy(int formatCode) {
  switch (formatCode) {
    case kFormatFlac:
      return {false, true, true};
    case kFormatOpus:
      return {true, false, true};
    case kFormatOriginal:
      return {false, false, false};
    default:
      return {};
  }
}

#pragma once

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
  int checkedFormat = 0;     // the checked format button: a FormatCode, or 0 when none is checked
  int bitRateIndex = -1;     // into kBitRateEntries; -1 when nothing is selected
  int sampleRateIndex = -1;  // into kSampleRateEntries; -1 when nothing is selected
  int channelIndex = -1;     // into kChannelEntries; -1 when nothing is selected
  std::string outputFolder;  // as typed
};

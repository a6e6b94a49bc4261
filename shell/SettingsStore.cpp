#include "SettingsStore.h"

#include "CIniFile.h"
#include "platform/AsciiText.h"
#include "platform/UserFileFolders.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kSection = "TaskSetting";
constexpr const char* kOutputFormatKey = "OutputFormat";
constexpr const char* kAudioBitrateKey = "AudioBitrate";
constexpr const char* kSampleRateKey = "SampleRate";
constexpr const char* kChannelKey = "Channel";
constexpr const char* kOutputPathKey = "OutputPath";
// The formats beyond the three buttons, by name. An older version knows
// nothing of it and reads OutputFormat, which then says MP3.
constexpr const char* kOtherFormatKey = "OtherFormat";
// 1 while "Convert Several Files at Once" is checked, else absent.
constexpr const char* kSeveralAtOnceKey = "ConvertSeveralAtOnce";

constexpr int kDefaultBitRateIndex = 8;     // "128"
constexpr int kDefaultSampleRateIndex = 0;  // "48000"
constexpr int kDefaultChannelIndex = 1;     // "Stereo"

constexpr const char* kDefaultOutputFolderName = "MyAudio/";

template <typename Entries>
int IndexOrNoSelection(uint32_t index, const Entries& entries) {
  return index < entries.size() ? static_cast<int>(index) : -1;
}

template <typename Entries>
int IndexOrDefault(int index, const Entries& entries, int defaultIndex) {
  return index >= 0 && static_cast<size_t>(index) < entries.size() ? index : defaultIndex;
}

// What Start stores: a button's format (MP3 when none is checked, and for a
// format of the menu's, which OtherFormat names) and a selection in every
// list (its default entry when none is).
SettingsControls AsStored(const SettingsControls& controls) {
  SettingsControls stored = controls;
  stored.checkedFormat = controls.checkedFormat == kFormatWav   ? kFormatWav
                         : controls.checkedFormat == kFormatAc3 ? kFormatAc3
                                                                : kFormatMp3;
  stored.bitRateIndex = IndexOrDefault(controls.bitRateIndex, kBitRateEntries, kDefaultBitRateIndex);
  stored.sampleRateIndex = IndexOrDefault(controls.sampleRateIndex, kSampleRateEntries, kDefaultSampleRateIndex);
  stored.channelIndex = IndexOrDefault(controls.channelIndex, kChannelEntries, kDefaultChannelIndex);
  return stored;
}

bool IsButtonFormat(int formatCode) { return formatCode >= kFormatMp3 && formatCode <= kFormatAc3; }
bool IsOtherFormat(int formatCode) { return IsFormatCode(formatCode) && !IsButtonFormat(formatCode); }
const char* FormatName(int formatCode) { return kFormatNames[formatCode - kFormatMp3]; }

// OtherFormat's value: one of the formats beyond the buttons, whose own
// formats live in OutputFormat alone; 0 for any other text.
int OtherFormatNamed(const std::string& name) {
  for (int formatCode = kFormatAc3 + 1; IsOtherFormat(formatCode); ++formatCode) {
    if (EqualsIgnoringCase(name, FormatName(formatCode))) return formatCode;
  }
  return 0;
}

CIniFile OptionFile() {
  CIniFile file;
  file.SetFileName(OptionFilePath());
  return file;
}

}  // namespace

std::string OptionFilePath() { return SettingsFolder() + "option.ini"; }

SettingsControls LoadSettings(const std::function<std::string()>& chooseOutputDrive) {
  const CIniFile file = OptionFile();
  SettingsControls controls;

  const uint32_t format = file.GetInt(kSection, kOutputFormatKey, kFormatMp3, 10);
  controls.checkedFormat = IsButtonFormat(static_cast<int>(format)) ? static_cast<int>(format) : 0;
  // OtherFormat goes with the MP3 that Start stores beside it for older
  // versions; once one of those has stored another button, that one counts.
  const int other = OtherFormatNamed(file.GetString(kSection, kOtherFormatKey, ""));
  if (other && format == kFormatMp3) controls.checkedFormat = other;
  controls.bitRateIndex =
      IndexOrNoSelection(file.GetInt(kSection, kAudioBitrateKey, kDefaultBitRateIndex, 10), kBitRateEntries);
  controls.sampleRateIndex = IndexOrNoSelection(
      file.GetInt(kSection, kSampleRateKey, kDefaultSampleRateIndex, 10), kSampleRateEntries);
  controls.channelIndex =
      IndexOrNoSelection(file.GetInt(kSection, kChannelKey, kDefaultChannelIndex, 10), kChannelEntries);

  controls.convertSeveralAtOnce = file.GetInt(kSection, kSeveralAtOnceKey, 0, 10) != 0;
  controls.outputFolder = file.GetString(kSection, kOutputPathKey, "");
  if (controls.outputFolder.empty()) controls.outputFolder = chooseOutputDrive() + kDefaultOutputFolderName;
  return controls;
}

Settings SettingsFromControls(const SettingsControls& controls) {
  const SettingsControls stored = AsStored(controls);
  Settings settings;
  // The formats of the Format menu and of the batch front end.
  settings.formatCode = IsOtherFormat(controls.checkedFormat) ? controls.checkedFormat : stored.checkedFormat;
  settings.bitRate = std::atoi(kBitRateEntries[stored.bitRateIndex]) * 1000;
  settings.sampleRate = std::atoi(kSampleRateEntries[stored.sampleRateIndex]);
  settings.channelCount = stored.channelIndex + 1;
  settings.outputFolder = stored.outputFolder;
  return settings;
}

Settings SaveSettings(const SettingsControls& controls, std::string* notSaved) {
  const SettingsControls stored = AsStored(controls);
  CIniFile file = OptionFile();
  std::vector<std::pair<std::string, std::string>> entries = {
      {kOutputFormatKey, CIniFile::IntText(stored.checkedFormat, 10)},
      {kAudioBitrateKey, CIniFile::IntText(stored.bitRateIndex, 10)},
      {kSampleRateKey, CIniFile::IntText(stored.sampleRateIndex, 10)},
      {kChannelKey, CIniFile::IntText(stored.channelIndex, 10)},
      {kOutputPathKey, stored.outputFolder}};
  // A button's format leaves no OtherFormat behind to win over it at the
  // next load.
  std::vector<std::string> removed;
  if (IsOtherFormat(controls.checkedFormat)) {
    entries.emplace_back(kOtherFormatKey, FormatName(controls.checkedFormat));
  } else {
    removed.push_back(kOtherFormatKey);
  }
  if (controls.convertSeveralAtOnce) {
    entries.emplace_back(kSeveralAtOnceKey, "1");
  } else {
    removed.push_back(kSeveralAtOnceKey);
  }
  const bool saved = file.WriteStrings(kSection, entries, removed);
  if (notSaved) {
    notSaved->clear();
    if (!saved) *notSaved = "The settings could not be saved to " + OptionFilePath() + ": " + file.FailureReason();
  }

  mkdir(stored.outputFolder.c_str(), 0777);
  return SettingsFromControls(controls);
}

void OnRestoreDefaults() { unlink(OptionFilePath().c_str()); }

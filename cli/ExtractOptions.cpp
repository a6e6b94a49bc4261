#include "ExtractOptions.h"

SettingsControls OverrideControls(SettingsControls loaded, const ExtractOptions& options) {
  if (options.formatCode) loaded.checkedFormat = *options.formatCode;
  if (options.bitRateIndex) loaded.bitRateIndex = *options.bitRateIndex;
  if (options.sampleRateIndex) loaded.sampleRateIndex = *options.sampleRateIndex;
  if (options.channelIndex) loaded.channelIndex = *options.channelIndex;
  if (options.outputFolder) loaded.outputFolder = *options.outputFolder;
  return loaded;
}

#pragma once

#include "shell/SettingsControls.h"

#include <optional>
#include <string>
#include <vector>

// What the command line of tolvar-extract asks for. A setting it leaves out
// comes from option.ini, as the main window would show it.
struct ExtractOptions {
  std::optional<int> formatCode;       // a FormatCode
  std::optional<int> bitRateIndex;     // into kBitRateEntries
  std::optional<int> sampleRateIndex;  // into kSampleRateEntries
  std::optional<int> channelIndex;     // into kChannelEntries: 0 mono, 1 stereo
  std::optional<std::string> outputFolder;
  std::optional<double> clipStart;  // seconds, for every file
  std::optional<double> clipEnd;    // seconds, for every file
  bool enhancedEngine = false;
  bool quiet = false;
  // Which audio track of each file: at most one of these three is given.
  std::optional<int> audioTrack;       // numbered from 1, as AudioTrack numbers them
  std::vector<std::string> languages;  // the first one a file has, else its default track
  bool allTracks = false;              // one output per track with sound
  bool listTracks = false;             // print each file's tracks instead of converting
  // How many files are converted at once: none means as many as the
  // processors the program may use (at most the number of files); 1 is one
  // file after another.
  std::optional<int> jobs;

  std::vector<std::string> files;  // in the order given, those of filesFrom after the command line's
  std::optional<std::string> filesFrom;  // a list of more files, "-" for standard input
  bool nulSeparated = false;             // filesFrom's names end with a NUL byte, not a newline
};

// The controls as the main window would hold them after the user set what
// the command line asks for.
SettingsControls OverrideControls(SettingsControls loaded, const ExtractOptions& options);

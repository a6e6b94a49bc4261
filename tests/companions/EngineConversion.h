#pragma once

#include "media/TranscodeNotify.h"
#include "support/Command.h"

#include <optional>
#include <string>
#include <utility>

// One source into one output through either engine, handed over as a run
// hands it: the in-process transcoder object, or the tae program with the
// ffmpeg syntax of the run's command lines. The output's extension (mp3,
// wav, ac3, m4a, flac, opus) chooses the format, unless the sound is copied
// as Original.
struct EngineConversion {
  std::string source;
  std::string output;
  int sampleRate = 44100;
  int channels = 2;
  int bitRate = 128000;
  std::optional<std::pair<double, double>> clip = std::nullopt;  // start and end, seconds
  bool original = false;  // the sound as it is: the clip then is cut to the packet
  int audioTrack = 0;     // the chosen track, numbered from 1; 0: the default one
};

// The worker's outcome; a failure to open or start the output is a failure
// with the reason the run records for it, or else the box the user was shown. Nullopt when the in-process engine cannot
// open the source (a run then hands it to tae).
std::optional<TranscodeOutcome> ConvertInProcess(const EngineConversion& conversion);

CommandResult ConvertThroughTae(const EngineConversion& conversion);

// Either engine, told as the worker tells it: through tae, converted when it
// exits with 0, its standard error the failure.
std::optional<TranscodeOutcome> Convert(const EngineConversion& conversion, bool throughTae);

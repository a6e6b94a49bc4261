#pragma once

#include "Settings.h"
#include "Task.h"

#include <string>

// The converter's command line for one task: the converter at converterPath
// writes the sound of the task's source, or of its clip, into outputPath in
// the run's format, bit rate, channel count and sample rate:
//
//   MP3  tae -i SOURCE CLIP TRACK -y -acodec libmp3lame -ab 128k -ac 2 -ar 44100 OUTPUT
//   WAV  tae -i SOURCE CLIP TRACK -y -vn -ab 128k -ac 2 -ar 44100 OUTPUT
//   AC3  tae -i SOURCE CLIP TRACK -y -acodec ac3 -ab 128k -ac 2 -ar 44100 OUTPUT
//   M4A  tae -i SOURCE CLIP TRACK -y -acodec aac -ab 128k -ac 2 -ar 44100 OUTPUT
//   FLAC tae -i SOURCE CLIP TRACK -y -acodec flac -ab 128k -ac 2 -ar 44100 OUTPUT
//   Opus tae -i SOURCE CLIP TRACK -y -acodec libopus -ab 128k -ac 2 -ar 44100 OUTPUT
//   Original  tae -i SOURCE CLIP TRACK -y -acodec copy OUTPUT
//
// CLIP is "-ss START -t LENGTH" (six decimals) when ClipsItsFile, else
// nothing (two blanks remain); START is ClipStartWithinFile. TRACK is
// " -map 0:a:N" for the task's chosen audio track, N counted from 0, and
// nothing for the default one. Every path, the converter's
// included, is quoted with QuoteArgument, so SplitCommandLine gives each back
// whole, whatever it holds. Numbers never depend on the user's locale.
//
// Empty for a code that names no format.
std::string BuildConverterCommandLine(const std::string& converterPath, const Task& task,
                                      const Settings& settings, const std::string& outputPath);

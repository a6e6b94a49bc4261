#pragma once

#include "Settings.h"
#include "Task.h"

#include <string>

// The converter's command line for one task: the converter at converterPath
// writes the sound of the task's source, or of its clip, into outputPath in
// the run's format, bit rate, channel count and sample rate:
//
//   MP3  tae -i SOURCE CLIP -y -acodec libmp3lame -ab 128k -ac 2 -ar 44100 OUTPUT
//   WAV  tae -i SOURCE CLIP -y -vn -ab 128k -ac 2 -ar 44100 OUTPUT
//   AC3  tae -i SOURCE CLIP -y -acodec ac3 -ab 128k -ac 2 -ar 44100 OUTPUT
//
// CLIP is "-ss START -t LENGTH" (six decimals) once the clip is shorter than
// the file by a whole second or more, else nothing (two blanks remain). A
// start past the file's duration is sent as 0. Every path, the converter's
// included, is quoted with QuoteArgument, so SplitCommandLine gives each back
// whole, whatever it holds. Numbers never depend on the user's locale.
//
// Empty for a format other than MP3, WAV and AC3.
std::string BuildConverterCommandLine(const std::string& converterPath, const Task& task,
                                      const Settings& settings, const std::string& outputPath);

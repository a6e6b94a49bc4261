#pragma once

// The commands the benchmarks compare: the converter as a run starts it, the
// ffmpeg tool given the very same options, and tolvar-extract as a user
// starts it.
#include "convert/CommandLineArguments.h"
#include "convert/ConverterCommandLine.h"
#include "convert/Settings.h"
#include "convert/Task.h"

#include <string>
#include <vector>

// The converter `program` on the whole of `source`, exactly as a run builds
// its command line.
inline std::vector<std::string> ConverterCommand(const std::string& program, const std::string& source,
                                                 const Settings& settings, const std::string& output) {
  const Task task{1, 0, 1, source, ""};
  return SplitCommandLine(BuildConverterCommandLine(program, task, settings, output));
}

// The ffmpeg tool with the converter's options, told to leave the video.
inline std::vector<std::string> FfmpegCommand(const std::string& source, const Settings& settings,
                                              const std::string& output) {
  const std::vector<std::string> converter = ConverterCommand("tae", source, settings, output);
  std::vector<std::string> command = {"ffmpeg", "-nostdin", "-v", "error", "-i", source, "-vn"};
  command.insert(command.end(), converter.begin() + 3, converter.end());  // after the converter, "-i" and the source
  return command;
}

// tolvar-extract with every setting on its command line (Original takes no
// bit rate, rate or channels) and `options` before the files, into the
// settings' output folder.
inline std::vector<std::string> BatchCommand(const Settings& settings, const std::vector<std::string>& options,
                                             const std::vector<std::string>& files) {
  std::vector<std::string> command = {TOLVAR_EXTRACT_PROGRAM, "-q", "-f", kFormatNames[settings.formatCode - 1]};
  if (settings.formatCode != kFormatOriginal) {
    command.insert(command.end(), {"-b", std::to_string(settings.bitRate / 1000), "-r",
                                   std::to_string(settings.sampleRate), "-c", std::to_string(settings.channelCount)});
  }
  command.insert(command.end(), options.begin(), options.end());
  command.insert(command.end(), {"-o", settings.outputFolder});
  command.insert(command.end(), files.begin(), files.end());
  return command;
}

#pragma once

#include <optional>
#include <string>
#include <string_view>

// What one chunk of the converter's console output shows in the progress
// window. The converter writes FFmpeg-style progress lines ("size=  512kB
// time=12.34 bitrate= 339.9kbits/s\r", with frame= and q= fields before them
// when it handles video); each chunk is read on its own, by the first
// occurrence of each field.
struct ConverterProgress {
  int taskPercent = 0;   // of the current task's clip; past 100 when the converter runs past the clip
  int totalPercent = 0;  // of the whole run
  std::string currentLine;  // "OutputSize:...     Frames:...       -- 20% Finished"
  std::string totalLine;    // "Current Task 2.  Total tasks: 3 ---  40% Finished"

  // The bars run from 0 to 100: a percent past 100 fills its bar.
  int CurrentBar() const;
  int TotalBar() const;
};

// Nothing when the chunk carries no elapsed time above 0.01 s: the
// converter's banner, stream descriptions and messages, a chunk that starts
// with "time=", one whose "bitrate=" comes before its "time=". taskIndex is
// 0-based; clipLength is the current task's, in seconds.
std::optional<ConverterProgress> ParseConverterOutput(std::string_view chunk, int taskIndex, int taskCount,
                                                      double clipLength);

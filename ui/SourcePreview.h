#pragma once

#include <string>

// What a click on a task row shows of the task's source, without a window.

// Takes a 160 x 120 still of the source into the preview picture file and
// returns that file's path, or the fallback picture's path when no still
// can be taken.
std::string CaptureSourceStill(const std::string& sourcePath);

// The source's duration, frame rates and picture size in "\r\n"-separated
// lines; empty when the source does not open.
std::string SummarizeSource(const std::string& sourcePath);

#pragma once

#include <cstdint>
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

// How much of a file's end is read for its last time stamps: the probe runs
// on the window's thread for every file added, so the cost must not grow
// with the file.
constexpr int64_t kTailBytes = 8 * 1024 * 1024;

// The duration, in AV_TIME_BASE units, of an opened source whose container
// states none (a browser's recording, a streamed Matroska): the end of the
// last packet in the last kTailBytes of the file at `path`, over all streams,
// less the source's start time. The file is read through a context of its
// own, so that `source` stays where its open left it. AV_NOPTS_VALUE when
// that part holds no time stamp, or none that can be trusted.
int64_t DurationFromTail(const AVFormatContext& source, const std::string& path);

#pragma once

#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

// FFmpeg takes a name with a colon for a protocol and its address
// ("pipe:0.mp4", "concat:a.avi|b.avi", "http:clip.avi"), so a file of such a
// name would be read from, or written to, somewhere else. The program's
// sources and outputs are local files, named as the user named them, and
// are opened through these two.

// avformat_open_input for a source file. Only a regular file (or a link to
// one) is opened: a named pipe would hold the open until some writer came,
// and a device has no end. 0, or a negative AVERROR: kNotARegularFile for
// anything else that exists. As with avformat_open_input, *input may hold a
// context from avformat_alloc_context, which a failure frees, and a known
// format spares the probing.
int OpenSourceFile(AVFormatContext** input, const std::string& path, const AVInputFormat* format = nullptr);

// Closes what OpenSourceFile opened, for a std::unique_ptr.
struct SourceFileCloser {
  void operator()(AVFormatContext* input) const { avformat_close_input(&input); }
};

// avio_open for the file of an output, unless its format writes none of its
// own (AVFMT_NOFILE). 0, or a negative AVERROR.
int OpenOutputFile(AVFormatContext& output, const std::string& path);

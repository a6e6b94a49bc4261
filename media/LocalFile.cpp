#include "LocalFile.h"

#include "FfmpegError.h"

#include <cerrno>
#include <sys/stat.h>

namespace {

std::string LocalFileUrl(const std::string& path) { return "file:" + path; }

}  // namespace

int OpenSourceFile(AVFormatContext** input, const std::string& path, const AVInputFormat* format) {
  struct stat status {};
  const int refused = stat(path.c_str(), &status) != 0 ? AVERROR(errno)
                      : !S_ISREG(status.st_mode)       ? kNotARegularFile
                                                       : 0;
  if (refused < 0) {
    avformat_free_context(*input);
    *input = nullptr;
    return refused;
  }
  return avformat_open_input(input, LocalFileUrl(path).c_str(), format, nullptr);
}

int OpenOutputFile(AVFormatContext& output, const std::string& path) {
  if (output.oformat->flags & AVFMT_NOFILE) return 0;
  return avio_open(&output.pb, LocalFileUrl(path).c_str(), AVIO_FLAG_WRITE);
}

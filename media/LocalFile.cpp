#include "LocalFile.h"

#include "FfmpegError.h"

#include <cerrno>
#include <sys/stat.h>

namespace {

std::string LocalFileUrl(const std::string& path) { return "file:" + path; }

}  // namespace

int OpenSourceFile(AVFormatContext** input, const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return AVERROR(errno);
  if (!S_ISREG(status.st_mode)) return kNotARegularFile;
  return avformat_open_input(input, LocalFileUrl(path).c_str(), nullptr, nullptr);
}

int OpenOutputFile(AVFormatContext& output, const std::string& path) {
  if (output.oformat->flags & AVFMT_NOFILE) return 0;
  return avio_open(&output.pb, LocalFileUrl(path).c_str(), AVIO_FLAG_WRITE);
}

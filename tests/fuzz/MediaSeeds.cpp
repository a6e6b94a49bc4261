// Writes the media fuzzer's seeds into a folder: the start of a few short
// generated fixtures, one per container and codec family the program meets.
#include "support/TestMedia.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

// Enough for the headers and the first packets, and the length at which
// the fuzzer caps its inputs.
constexpr size_t kSeedBytes = 64 * 1024;

// An MP4 keeps its index at the end, so only one that fits whole is here.
const char* const kFixtures[] = {
    "avi-mpeg4-mp3-6s.avi",
    "wmv-wmv1-wmav2-4s.wmv",
    "flv-flv1-mp3-5s.flv",
    "mpeg-ps-mpeg2-mp2-7s.mpg",
    "mkv-mpeg4-ac3-5.1-6s.mkv",
    "mkv-no-duration-5s.mkv",
    "mkv-mpeg4-pcm-0.1s.mkv",
    "mkv-h264-pictures-only-at-the-end-30-packets.mkv",
    "avi-black-box-160x120-2s.avi",
    "wav-tone-from-12s-to-30s-40s.wav",
    "audio-only-aac-7s.m4a",
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <seed folder>\n", argv[0]);
    return 2;
  }
  for (const char* name : kFixtures) {
    std::ifstream fixture(TestMedia::Path(name), std::ios::binary);
    std::string bytes(kSeedBytes, '\0');
    fixture.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(fixture.gcount()));
    std::ofstream(std::string(argv[1]) + "/" + name, std::ios::binary) << bytes;
  }
  return 0;
}

#pragma once

#include <string>
#include <vector>

// One packet of a stream as the ffmpeg tool copies it.
struct CopiedPacket {
  double start = 0;  // seconds from the file's start time, as the ffmpeg tool counts them
  double end = 0;
  std::string sizeAndHash;
};

// The packets of the file's stream `stream`, an ffmpeg stream specifier
// ("3", "a:1"), copied through `filters` (bitstream filter options).
std::vector<CopiedPacket> CopiedPackets(const std::string& path, const std::string& stream,
                                        const std::vector<std::string>& filters = {});

// What tells the packets apart, in their order.
std::vector<std::string> SizesAndHashes(const std::vector<CopiedPacket>& packets);

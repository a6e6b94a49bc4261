#include "CopiedPackets.h"

#include "support/Command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

// framemd5's "#tb 0: 1/44100" line, then "0, dts, pts, duration, size, hash"
// each, followed by any side data.
std::vector<CopiedPacket> CopiedPackets(const std::string& path, const std::string& stream,
                                        const std::vector<std::string>& filters) {
  std::vector<std::string> command = {"ffmpeg", "-v", "error", "-i", path, "-map", "0:" + stream, "-c", "copy"};
  command.insert(command.end(), filters.begin(), filters.end());
  command.insert(command.end(), {"-f", "framemd5", "-"});
  const CommandResult result = RunCommand(command);
  EXPECT_EQ(result.exitCode, 0) << result.errors;
  std::vector<CopiedPacket> packets;
  double timeBase = 0;
  std::istringstream lines(result.output);
  for (std::string line; std::getline(lines, line);) {
    int num = 0;
    int den = 0;
    if (std::sscanf(line.c_str(), "#tb 0: %d/%d", &num, &den) == 2) timeBase = static_cast<double>(num) / den;
    long long dts = 0;
    long long pts = 0;
    long long duration = 0;
    char size[32] = {};
    char hash[64] = {};
    if (line.empty() || line[0] == '#' ||
        std::sscanf(line.c_str(), "%*d, %lld, %lld, %lld, %31[^,], %63[0-9a-f]", &dts, &pts, &duration, size,
                    hash) != 5) {
      continue;
    }
    packets.push_back({pts * timeBase, (pts + duration) * timeBase, std::string(size) + " " + hash});
  }
  return packets;
}

std::vector<std::string> SizesAndHashes(const std::vector<CopiedPacket>& packets) {
  std::vector<std::string> kept;
  for (const CopiedPacket& packet : packets) kept.push_back(packet.sizeAndHash);
  return kept;
}

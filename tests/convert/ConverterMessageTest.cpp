#include "convert/ConverterMessage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The converter's output as the runner hands it over: chunks of at most 256
// bytes, cut wherever the pipe happened to be.
std::vector<std::string> Chunks(const std::string& output, size_t size) {
  std::vector<std::string> chunks;
  for (size_t start = 0; start < output.size(); start += size) chunks.push_back(output.substr(start, size));
  return chunks;
}

const std::string kProgress = "size=     256kB time=6.00 bitrate= 349.5kbits/s\r";
// A reason that names two paths of the longest length the system takes.
const std::string kLongReason =
    "Cannot create /" + std::string(4094, 'o') + ": File name too long, reading /" + std::string(4094, 'i');

}  // namespace

struct MessageCase {
  const char* name;
  std::string output;
  std::string reason;
};

class ConverterMessageOf : public ::testing::TestWithParam<MessageCase> {};

TEST_P(ConverterMessageOf, IsItsLastReasonWhereverTheChunksAreCut) {
  const MessageCase& c = GetParam();
  for (const size_t chunkSize : {size_t{1}, size_t{7}, size_t{256}, std::max<size_t>(c.output.size(), 1)}) {
    SCOPED_TRACE(chunkSize);
    ConverterMessage message;
    for (const std::string& chunk : Chunks(c.output, chunkSize)) message.Take(chunk);
    EXPECT_EQ(message.LastReason(), c.reason);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, ConverterMessageOf,
    ::testing::Values(
        MessageCase{"Nothing", "", ""},
        MessageCase{"ProgressOnly", kProgress + kProgress + "\n", ""},
        MessageCase{"AfterProgress", kProgress + kProgress + "\ntae: Cannot open a.avi: Invalid data\n",
                    "Cannot open a.avi: Invalid data"},
        MessageCase{"TheLastOfTwo", "tae: first\ntae: second\n" + kProgress, "second"},
        MessageCase{"OnlyAtTheStartOfALine", "usage: tae: -i INPUT\n", ""},
        MessageCase{"CarriageReturnEndsALine", "tae: written\r" + kProgress, "written"},
        MessageCase{"ALineNotYetEnded", kProgress + "tae: cut sh", "cut sh"},
        MessageCase{"NamingTwoLongPaths", kProgress + "tae: " + kLongReason + "\n" + kProgress + "\n", kLongReason},
        MessageCase{"LongerThanAnyLineIsCut",
                    "tae: " + std::string(2 * ConverterMessage::kLongestLine, 'x') + "\n",
                    std::string(ConverterMessage::kLongestLine - 5, 'x')}),
    [](const auto& info) { return info.param.name; });

// Whatever the converter prints, the progress window's bars stay inside 0 to
// 100, and the total bar never shows less than the tasks already done.
#include "FuzzCheck.h"

#include "convert/ConverterProgress.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <bit>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  // The run passes at least one task and an index inside the list; a count
  // of 0 or below is what a caller gets wrong.
  const int taskCount = input.ConsumeIntegralInRange<int>(-1, 100000);
  const int taskIndex = input.ConsumeIntegralInRange<int>(0, std::max(taskCount - 1, 0));
  // Raw bits, so that NaN, the infinities, 0 and negative lengths come too.
  const double clipLength = std::bit_cast<double>(input.ConsumeIntegral<uint64_t>());
  const std::string chunk = input.ConsumeRemainingBytesAsString();

  const auto progress = ParseConverterOutput(chunk, taskIndex, taskCount, clipLength);
  if (!progress) return 0;

  Require(taskCount > 0, "a progress without tasks");
  Require(chunk.find("time=") != std::string::npos && chunk.find("bitrate=") != std::string::npos,
          "a progress from a chunk without time= and bitrate=");
  Require(progress->CurrentBar() >= 0 && progress->CurrentBar() <= 100, "current bar inside 0..100");
  Require(progress->TotalBar() >= 0 && progress->TotalBar() <= 100, "total bar inside 0..100");
  Require(progress->taskPercent >= 0 && progress->totalPercent >= 0, "percents not negative");
  Require(progress->totalPercent >= taskIndex * 100 / taskCount, "total percent covers the tasks done");
  Require(progress->taskPercent > 100 || progress->totalPercent <= 100,
          "total percent at most 100 while the task is inside its clip");
  Require(progress->currentLine.ends_with("% Finished"), "current line ends with the percent");
  Require(progress->totalLine.starts_with("Current Task " + std::to_string(taskIndex + 1) + "."),
          "total line names the task");
  return 0;
}

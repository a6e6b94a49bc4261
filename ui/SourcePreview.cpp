#include "SourcePreview.h"

#include "ProgramPictures.h"

#include "media/CMediaTranscoder.h"
#include "media/PreviewCapture.h"

namespace {

constexpr int kStillFrameOrdinal = 30;
constexpr int kStillWidth = 160;
constexpr int kStillHeight = 120;
constexpr size_t kSummaryCapacity = 1024;

}  // namespace

std::string CaptureSourceStill(const std::string& sourcePath) {
  const std::string stillPath = PreviewPicturePath();
  const bool captured =
      CapturePreviewFrame(sourcePath, kStillFrameOrdinal, stillPath, kStillWidth, kStillHeight) == 0;
  return captured ? stillPath : FallbackPicturePath();
}

// A probe that does not open holds nothing, and its summary leaves the text
// empty; a text too long for the capacity keeps the lines that fitted.
std::string SummarizeSource(const std::string& sourcePath) {
  CMediaTranscoder probe(nullptr, nullptr, nullptr);
  probe.OpenInput(sourcePath);
  std::string summary;
  probe.FormatMediaSummary(summary, kSummaryCapacity);
  return summary;
}

#include "TrackListing.h"

#include "FrontEndNotice.h"
#include "ResultLine.h"
#include "shell/CTaskList.h"

namespace {

std::string NumberOrDash(int value) { return value > 0 ? std::to_string(value) : "-"; }

std::string TrackLine(const std::string& file, const AudioTrack& track) {
  return TabSeparatedLine({file, std::to_string(track.number), track.language.empty() ? "-" : track.language,
                           track.codec, NumberOrDash(track.channels), NumberOrDash(track.sampleRate),
                           track.isDefault ? "default" : "-", track.title});
}

}  // namespace

int ListTracks(const std::vector<std::string>& files, const FrontEndNotice& notice, std::FILE* out) {
  int status = 0;
  for (const std::string& file : files) {
    CTaskList list;
    std::string failure;
    if (!list.AddSourceFile(file)) {
      failure = notice.LastText();
    } else if (list.AudioTracksOf(0).empty()) {
      failure = "The file has no audio track";
    }
    if (!failure.empty()) {
      std::fputs(FailedLine(file, failure).c_str(), out);
      status = 1;
      continue;
    }
    for (const AudioTrack& track : list.AudioTracksOf(0)) std::fputs(TrackLine(file, track).c_str(), out);
  }
  std::fflush(out);
  return status;
}

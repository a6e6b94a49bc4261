#include "CTaskList.h"

#include "convert/FileNameParts.h"
#include "convert/Settings.h"
#include "convert/TimeText.h"
#include "media/CMediaTranscoder.h"
#include "media/MediaInfoLibrary.h"
#include "media/OriginalSound.h"
#include "platform/AsciiText.h"
#include "platform/Notice.h"

#include <cstdlib>
#include <sys/stat.h>

namespace {

constexpr const char* kInformationCaption = "Information";
constexpr const char* kQuestionCaption = "Question";

const std::string kDvdRefusalText =
    "You're trying to open a DVD (*.vob/*.ifo) file. Tolvar Audio Extractor doesn't support DVD format.  "
    "You need Kestra DVD Ripper to do this.";

std::string FailToOpenText(const std::string& path) { return "Fail to open the file " + path; }

// The source's format is the text after the last dot of its name; a dot in a
// folder name says nothing about the file.
std::string SourceExtension(const std::string& fileName) {
  return fileName.find('.') == std::string::npos ? std::string() : GetFileExtension(fileName);
}

// The title names the output file, so it is never left without a name: a
// name without a dot, or with nothing before its last dot, is kept whole.
std::string TitleOf(const std::string& titleText) {
  const auto dot = titleText.rfind('.');
  return dot == std::string::npos || dot <= 1 ? titleText : titleText.substr(0, dot);
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Whole seconds and the audio tracks from the media probe, else MediaInfo's
// play time (milliseconds) alone; false when neither knows the file.
bool ProbeSource(const std::string& path, int& duration, AudioTracks& tracks) {
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  if (media.OpenInput(path) == 0) {
    duration = media.GetDurationSeconds();
    tracks = ListAudioTracks(*media.Input());
    return true;
  }
  const std::string playTime = MediaInfoLibrary::GetPlayTimeText(path);
  if (playTime.empty()) return false;
  duration = std::atoi(playTime.c_str()) / 1000;
  return true;
}

}  // namespace

void CTaskList::SelectRow(int row) { selectedRow_ = row >= 0 && row < GetTaskCount() ? row : -1; }

void CTaskList::CheckOutputFormat(int formatCode) {
  checkedFormat_ = IsFormatCode(formatCode) ? formatCode : 0;
  for (int row = 0; row < GetTaskCount(); ++row) rows_[row][kOutputFormatColumn] = OutputFormatCell(row);
}

const std::string& CTaskList::OriginalExtension(int row) {
  std::optional<std::string>& extension = probes_[row].originalExtension;
  if (!extension) {
    const std::optional<OriginalSound> original = ProbeOriginalSound(tasks_[row].sourcePath, tasks_[row].audioTrack);
    extension = original ? original->extension : std::string();
  }
  return *extension;
}

int CTaskList::TrackInUse(int row) const {
  const int chosen = tasks_[row].audioTrack;
  return chosen != 0 ? chosen : DefaultTrackNumber(probes_[row].tracks);
}

bool CTaskList::ChooseTrack(int row, int number) {
  if (row < 0 || row >= GetTaskCount()) return false;
  const AudioTracks& tracks = probes_[row].tracks;
  const AudioTrack* track = FindTrack(tracks, number);
  if (!track || !track->hasSound) return false;
  // The default track stays unnamed, so that its task runs as any other.
  const int chosen = number == DefaultTrackNumber(tracks) ? 0 : number;
  if (chosen == tasks_[row].audioTrack) return true;
  tasks_[row].audioTrack = chosen;
  probes_[row].originalExtension.reset();
  if (checkedFormat_ == kFormatOriginal) rows_[row][kOutputFormatColumn] = OutputFormatCell(row);
  return true;
}

int CTaskList::UseLanguageForEveryTask(const std::string& language) {
  int tasksWithIt = 0;
  for (int row = 0; row < GetTaskCount(); ++row) {
    const int track = TrackOfLanguage(probes_[row].tracks, language);
    if (track == 0) continue;
    ++tasksWithIt;
    ChooseTrack(row, track);
  }
  return tasksWithIt;
}

std::string CTaskList::TrackCellOf(int row) const {
  const AudioTrack* track = TrackInUseOf(row);
  if (!track) return {};
  const std::string number = std::to_string(track->number);
  return HasLanguageTag(*track) ? number + " (" + track->language + ")" : number;
}

std::string CTaskList::OutputExtensionOf(int row) {
  if (checkedFormat_ != kFormatOriginal) return GetOutputExtension();
  // A source that cannot be probed fails when its task opens it; Matroska
  // is the best guess at its output's name until then.
  const std::string& original = OriginalExtension(row);
  return original.empty() ? "mka" : original;
}

std::string CTaskList::OutputFormatCell(int row) {
  if (checkedFormat_ != kFormatOriginal) return ToUpperAscii(GetOutputExtension());
  const std::string& original = OriginalExtension(row);
  return original.empty() ? "(copy)" : ToUpperAscii(original) + " (copy)";
}

void CTaskList::StoreClip(int row, double clipStart, double clipLength, const std::string& startCell,
                          const std::string& endCell) {
  if (row < 0 || row >= GetTaskCount()) return;
  tasks_[row].clipStart = clipStart;
  tasks_[row].clipLength = clipLength;
  rows_[row][kStartColumn] = startCell;
  rows_[row][kEndColumn] = endCell;
}

std::string CTaskList::GetOutputExtension() const {
  if (checkedFormat_ == kFormatOriginal) return {};
  const char* extension = FormatExtension(checkedFormat_);
  return extension ? extension : "mp3";
}

bool CTaskList::AddSourceFile(std::string path) {
  if (GetTaskCount() >= maxTasks_) {
    if (addUnderway_) {
      ++leftOutOfAdd_;
    } else {
      ShowNotice(ListFullText(), kInformationCaption);
    }
    return false;
  }
  const std::string fileName = GetFileName(path);
  const std::string extension = SourceExtension(fileName);
  const std::string lowerExtension = ToLowerAscii(extension);
  if (lowerExtension == "ifo" || lowerExtension == "vob") {
    ShowNotice(kDvdRefusalText, kInformationCaption);
    return false;
  }
  // A folder, a device or a named pipe is no source, and probing a named pipe
  // would wait for a writer forever.
  int duration = 0;
  AudioTracks tracks;
  if (!IsRegularFile(path) || !ProbeSource(path, duration, tracks)) {
    ShowNotice(FailToOpenText(path), kInformationCaption);
    return false;
  }

  const std::string titleText = " " + fileName;
  Task task;
  task.duration = duration;
  task.clipStart = 0;
  task.clipLength = duration;
  task.title = TitleOf(titleText);
  task.sourcePath = std::move(path);
  tasks_.push_back(std::move(task));
  probes_.push_back({std::move(tracks), std::nullopt});
  const int row = GetTaskCount() - 1;
  rows_.push_back({titleText, FormatTimeText(0), FormatTimeText(duration), ToUpperAscii(extension),
                   OutputFormatCell(row)});
  selectedRow_ = row;
  return true;
}

void CTaskList::BeginAdd() {
  addUnderway_ = true;
  leftOutOfAdd_ = 0;
}

void CTaskList::EndAdd() {
  addUnderway_ = false;
  if (leftOutOfAdd_ == 0) return;
  const std::string leftOut =
      leftOutOfAdd_ == 1 ? "1 file was left out." : std::to_string(leftOutOfAdd_) + " files were left out.";
  leftOutOfAdd_ = 0;
  ShowNotice(ListFullText() + " " + leftOut, kInformationCaption);
}

std::string CTaskList::ListFullText() const {
  return "The list holds at most " + std::to_string(maxTasks_) + " files.";
}

int CTaskList::OnFileDropped(const std::string& path, uint32_t /*kind*/) {
  AddSourceFile(path);
  return 0;
}

void CTaskList::OnDeleteFile() {
  if (selectedRow_ < 0) {
    ShowNotice("Please select a video from the list!", kInformationCaption, NoticeIcon::Warning);
    return;
  }
  const int deleted = selectedRow_;
  const std::string question = "Are you sure to delete the current item \"" +
                               ToUpperAscii(rows_[deleted][kTitleColumn]) + "\" ?";
  if (ShowNotice(question, kQuestionCaption, NoticeIcon::Question, NoticeButtons::YesNo) != NoticeAnswer::Yes) {
    return;
  }
  tasks_.erase(tasks_.begin() + deleted);
  rows_.erase(rows_.begin() + deleted);
  probes_.erase(probes_.begin() + deleted);
  // The row that moved into the deleted one's place; none after the last.
  SelectRow(deleted);
}

void CTaskList::OnDeleteAll() {
  if (ShowNotice("Are you sure to delete all the files?", kQuestionCaption, NoticeIcon::Question,
                 NoticeButtons::YesNo) != NoticeAnswer::Yes) {
    return;
  }
  tasks_.clear();
  rows_.clear();
  probes_.clear();
  selectedRow_ = -1;
}

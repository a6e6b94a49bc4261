#include "RecordingNotice.h"

RecordingNotice::RecordingNotice() : previous_(&INotice::Current()) { INotice::SetCurrent(this); }

RecordingNotice::~RecordingNotice() { INotice::SetCurrent(previous_); }

NoticeAnswer RecordingNotice::Show(const NoticeRequest& request) {
  std::lock_guard lock(mutex_);
  requests_.push_back(request);
  if (request.buttons == NoticeButtons::Ok) return NoticeAnswer::Ok;
  if (scriptedAnswers_.empty()) return NoticeAnswer::Yes;
  const NoticeAnswer answer = scriptedAnswers_.front();
  scriptedAnswers_.pop_front();
  return answer;
}

void RecordingNotice::AnswerNextQuestionWith(NoticeAnswer answer) {
  std::lock_guard lock(mutex_);
  scriptedAnswers_.push_back(answer);
}

std::vector<NoticeRequest> RecordingNotice::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<std::string> RecordingNotice::Texts() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> texts;
  for (const auto& request : requests_) texts.push_back(request.text);
  return texts;
}

void RecordingNotice::Clear() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

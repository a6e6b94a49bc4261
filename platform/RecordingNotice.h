#pragma once

#include "Notice.h"

#include <deque>
#include <mutex>
#include <vector>

// A notice for tests: it keeps every request and answers questions from a
// script (Yes when the script is empty). Installs itself as the current
// notice for its lifetime.
class RecordingNotice : public INotice {
 public:
  RecordingNotice();
  ~RecordingNotice() override;

  NoticeAnswer Show(const NoticeRequest& request) override;

  void AnswerNextQuestionWith(NoticeAnswer answer);
  std::vector<NoticeRequest> Requests() const;
  std::vector<std::string> Texts() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<NoticeRequest> requests_;
  std::deque<NoticeAnswer> scriptedAnswers_;
  INotice* previous_;
};

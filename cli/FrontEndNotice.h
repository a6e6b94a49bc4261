#pragma once

#include "ProgressDisplay.h"
#include "platform/Notice.h"

#include <string>

// The batch front end's message boxes: each a line "caption: text" among the
// progress on standard error. Nobody is there to answer a question, so it is
// answered No. The last text is kept: it says why a file was refused.
class FrontEndNotice : public INotice {
 public:
  explicit FrontEndNotice(ProgressDisplay& display) : display_(display) {}

  NoticeAnswer Show(const NoticeRequest& request) override;

  const std::string& LastText() const { return lastText_; }

 private:
  ProgressDisplay& display_;
  std::string lastText_;
};

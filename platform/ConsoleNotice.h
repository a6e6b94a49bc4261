#pragma once

#include "Notice.h"

#include <cstdio>
#include <string>

// A notice as one line of text: "caption: text", its line breaks turned
// into blanks.
std::string NoticeLine(const NoticeRequest& request);

// Prints each notice as one line, "caption: text", to a stream (standard
// error by default). Questions get the answer given at construction, since
// nobody is there to click.
class ConsoleNotice : public INotice {
 public:
  explicit ConsoleNotice(NoticeAnswer questionAnswer = NoticeAnswer::No, std::FILE* stream = stderr)
      : questionAnswer_(questionAnswer), stream_(stream) {}

  NoticeAnswer Show(const NoticeRequest& request) override;

 private:
  NoticeAnswer questionAnswer_;
  std::FILE* stream_;
};

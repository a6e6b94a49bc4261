#include "FrontEndNotice.h"

NoticeAnswer FrontEndNotice::Show(const NoticeRequest& request) {
  lastText_ = request.text;
  std::string line = request.caption.empty() ? request.text : request.caption + ": " + request.text;
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  display_.PrintMessage(line);
  return request.buttons == NoticeButtons::YesNo ? NoticeAnswer::No : NoticeAnswer::Ok;
}

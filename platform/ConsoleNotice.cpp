#include "ConsoleNotice.h"


std::string NoticeLine(const NoticeRequest& request) {
  std::string line = request.caption.empty() ? request.text : request.caption + ": " + request.text;
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return line;
}

NoticeAnswer ConsoleNotice::Show(const NoticeRequest& request) {
  std::fprintf(stream_, "%s\n", NoticeLine(request).c_str());
  std::fflush(stream_);
  return request.buttons == NoticeButtons::YesNo ? questionAnswer_ : NoticeAnswer::Ok;
}

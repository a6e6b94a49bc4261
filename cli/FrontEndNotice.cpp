#include "FrontEndNotice.h"

#include "platform/ConsoleNotice.h"

NoticeAnswer FrontEndNotice::Show(const NoticeRequest& request) {
  lastText_ = request.text;
  display_.PrintMessage(NoticeLine(request));
  return request.buttons == NoticeButtons::YesNo ? NoticeAnswer::No : NoticeAnswer::Ok;
}

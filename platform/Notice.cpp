#include "Notice.h"

#include "ConsoleNotice.h"

#include <atomic>

namespace {

ConsoleNotice& FallbackNotice() {
  static ConsoleNotice notice;
  return notice;
}

std::atomic<INotice*> current{nullptr};

}  // namespace

INotice& INotice::Current() {
  INotice* notice = current.load();
  return notice ? *notice : FallbackNotice();
}

void INotice::SetCurrent(INotice* notice) { current.store(notice); }

NoticeAnswer ShowNotice(const std::string& text, const std::string& caption, NoticeIcon icon,
                        NoticeButtons buttons) {
  return INotice::Current().Show(NoticeRequest{text, caption, icon, buttons, true});
}

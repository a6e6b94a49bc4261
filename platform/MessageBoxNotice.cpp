#include "MessageBoxNotice.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::Icon IconFor(NoticeIcon icon) {
  switch (icon) {
    case NoticeIcon::Information:
      return QMessageBox::Information;
    case NoticeIcon::Warning:
      return QMessageBox::Warning;
    case NoticeIcon::Error:
      return QMessageBox::Critical;
    case NoticeIcon::Question:
      return QMessageBox::Question;
    case NoticeIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

NoticeAnswer MessageBoxNotice::Show(const NoticeRequest& request) {
  const bool question = request.buttons == NoticeButtons::YesNo;
  auto* box = new QMessageBox(IconFor(request.icon), QString::fromStdString(request.caption),
                              QString::fromStdString(request.text),
                              question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                              QApplication::activeWindow());
  // File names are shown as they are, never read as markup.
  box->setTextFormat(Qt::PlainText);
  if (!request.blocking && !question) {
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    return NoticeAnswer::Ok;
  }
  // A box that waits for the user is no part of the work the wait cursor
  // stands for: over it, the arrow, until it closes.
  const bool waitCursorShown = QApplication::overrideCursor() != nullptr;
  if (waitCursorShown) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int answer = box->exec();
  delete box;
  if (waitCursorShown) QApplication::restoreOverrideCursor();
  if (!question) return NoticeAnswer::Ok;
  return answer == QMessageBox::Yes ? NoticeAnswer::Yes : NoticeAnswer::No;
}

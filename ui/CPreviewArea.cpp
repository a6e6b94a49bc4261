#include "CPreviewArea.h"

#include "CPicturePreview.h"
#include "ProgramPictures.h"
#include "SourcePreview.h"

#include <QApplication>
#include <QLabel>

namespace {

// The wait cursor for as long as the object lives.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

CPreviewArea::CPreviewArea(CPicturePreview& picture, QLabel& summary) : picture_(picture), summary_(summary) {}

void CPreviewArea::ShowIntro() {
  if (introShown_) return;
  introShown_ = true;
  picture_.ShowPicture(IntroPicturePath());
  ShowText(kIntroText);
}

void CPreviewArea::ShowSource(const std::string& sourcePath) {
  const WaitCursor wait;
  picture_.ShowPicture(CaptureSourceStill(sourcePath));
  ShowText(SummarizeSource(sourcePath));
}

// The texts end their lines with "\r\n"; a label breaks lines at '\n' only.
void CPreviewArea::ShowText(const std::string& lines) {
  summary_.setText(QString::fromStdString(lines).replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

#include "CPreviewArea.h"

#include "CPicturePreview.h"
#include "ProgramPictures.h"
#include "SourcePreview.h"
#include "platform/WaitCursor.h"

#include <QLabel>

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

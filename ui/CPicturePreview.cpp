#include "CPicturePreview.h"

#include "MakerLinks.h"
#include "platform/Notice.h"

#include <QFile>
#include <QImage>
#include <QPainter>

namespace {

// The message boxes of this control carry the application's title and the
// exclamation mark of a plain OK notice.
void ShowPictureNotice(const char* text) { ShowNotice(text, kProductName, NoticeIcon::Warning); }

}  // namespace

CPicturePreview::CPicturePreview(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  QPalette blackFrame = palette();
  blackFrame.setColor(QPalette::WindowText, Qt::black);
  setPalette(blackFrame);
}

void CPicturePreview::ShowPicture(const std::string& path) {
  QFile file(QFile::decodeName(path.c_str()));
  if (!file.open(QIODevice::ReadOnly)) return;
  const QByteArray bytes = file.readAll();
  // An empty file has nothing to load, and one that fails halfway is as
  // good as unreadable.
  if (bytes.isEmpty() || file.error() != QFileDevice::NoError) return;

  QImage image;
  if (!image.loadFromData(bytes)) {
    ShowPictureNotice("Error Loading Picture From Stream!");
    return;
  }
  QPixmap picture = QPixmap::fromImage(image);
  if (picture.isNull()) {
    ShowPictureNotice("Failed To Render The picture!");
    return;
  }
  picture_ = std::move(picture);
  update();
}

// The picture covers the frame too: it fills the whole control.
void CPicturePreview::paintEvent(QPaintEvent* event) {
  if (picture_.isNull()) {
    QFrame::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawPixmap(rect(), picture_);
}

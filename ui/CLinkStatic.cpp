#include "CLinkStatic.h"

#include "AccessibleInterfaceFactory.h"
#include "LinkStaticAccessible.h"

#include "platform/ShellOpen.h"

#include <QMouseEvent>
#include <QPainter>

#include <utility>

CLinkStatic::CLinkStatic(QWidget* parent) : QLabel(parent) {
  RegisterAccessibleInterface<CLinkStatic, LinkStaticAccessible>();
  setCursor(Qt::PointingHandCursor);
  // An address or title is shown as it is, never read as markup.
  setTextFormat(Qt::PlainText);
}

void CLinkStatic::SetLinkUrl(QString address) { address_ = std::move(address); }

void CLinkStatic::Open() {
  IShellOpen::Current().Open(address_.toStdString());
  visited_ = true;
  update();
}

// Qt marks the widget as under the mouse before either event comes.
void CLinkStatic::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  update();
}

void CLinkStatic::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  update();
}

// A click is a press and a release both on the link, as for a button.
void CLinkStatic::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  event->accept();
}

void CLinkStatic::mouseReleaseEvent(QMouseEvent* event) {
  const bool clicked = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (clicked) Open();
}

// Drawn here rather than through the palette, so that a skin's style sheet
// cannot take the link colours away. The underline is added only here: the
// control's own font keeps following the window's.
void CLinkStatic::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(TextColour());
  QFont underlined = font();
  underlined.setUnderline(true);
  painter.setFont(underlined);
  painter.drawText(contentsRect(), static_cast<int>(alignment()), text());
}

QColor CLinkStatic::TextColour() const {
  if (visited_) return kVisitedColour;
  return underMouse() ? kHoverColour : kLinkColour;
}

#include "CRangeSlider.h"

#include "AccessibleInterfaceFactory.h"
#include "RangeSliderAccessible.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace {

QRect ToQRect(const PixelRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// A filled rectangle with a one-pixel black frame inside its edges.
void FillFramed(QPainter& painter, const PixelRect& rect, const QColor& fill) {
  painter.fillRect(ToQRect(rect), fill);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.left, rect.top, rect.Width() - 1, rect.Height() - 1);
}

// Light along the top and left, shadow along the right and bottom.
void DrawRaisedEdge(QPainter& painter, const PixelRect& r, const QPalette& palette) {
  painter.setPen(palette.color(QPalette::Light));
  painter.drawPolyline(QPolygon({QPoint(r.left, r.bottom), QPoint(r.left, r.top), QPoint(r.right, r.top)}));
  painter.setPen(palette.color(QPalette::Dark));
  painter.drawPolyline(QPolygon({QPoint(r.right, r.top), QPoint(r.right, r.bottom), QPoint(r.left, r.bottom)}));
}

void DrawThumb(QPainter& painter, const PixelRect& thumb, const PixelRect& edge, bool dragged,
               const QPolygon& arrow, const QPalette& palette) {
  FillFramed(painter, thumb, palette.color(QPalette::Button));
  // A grabbed thumb is drawn flat, as if pressed in.
  if (!dragged) DrawRaisedEdge(painter, edge, palette);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::black);
  painter.drawPolygon(arrow);
}

}  // namespace

CRangeSlider::CRangeSlider(QWidget* parent) : QWidget(parent) {
  RegisterAccessibleInterface<CRangeSlider, RangeSliderAccessible>();
  setFocusPolicy(Qt::StrongFocus);
  // Every pixel is painted on each redraw, so nothing is erased in between
  // and the control does not flicker while a drag redraws it on every move.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CRangeSlider::SetBounds(double a, double b) {
  const double left = model_.Left();
  const double right = model_.Right();
  Report(model_.SetBounds(a, b), left, right);
}

void CRangeSlider::SetSelection(double left, double right) {
  const double oldLeft = model_.Left();
  const double oldRight = model_.Right();
  Report(model_.SetSelection(left, right), oldLeft, oldRight);
}

void CRangeSlider::GetSelection(double& left, double& right) const { model_.GetSelection(left, right); }

void CRangeSlider::SetVisibleSpan(double from, double to) {
  model_.SetVisibleSpan(from, to);
  update();
}

void CRangeSlider::ShowVisibleSpan(bool show) {
  if (model_.ShowVisibleSpan(show)) update();
}

double CRangeSlider::ValuePerPixel() const {
  const int trackWidth = model_.Geometry().trackWidth;
  return trackWidth > 0 ? (model_.Max() - model_.Min()) / trackWidth : 0;
}

void CRangeSlider::Report(const RangeSliderModel::Codes& codes, double leftBefore, double rightBefore) {
  for (const RangeSliderModel::Code code : codes) emit rangeChanged(static_cast<int>(code));
  if (model_.Left() != leftBefore || model_.Right() != rightBefore)
    RangeSliderAccessible::NotifySelectionChanged(this);
  update();
}

// Qt paints into the window's back buffer and shows it in one transfer: each
// picture is complete before it reaches the screen.
void CRangeSlider::paintEvent(QPaintEvent*) {
  const RangeSliderGeometry& g = model_.Layout(width(), height());
  const int aw = g.arrowWidth;
  const int h = g.height;
  QPainter painter(this);

  FillFramed(painter, PixelRect{0, 0, width(), height()}, QColor(128, 128, 128));

  const bool dragging = model_.IsDragging();
  const auto dragged = model_.Dragged();
  DrawThumb(painter, g.leftThumb, g.leftThumbHit,
            dragging && dragged == RangeSliderModel::DragTarget::LeftThumb,
            QPolygon({QPoint(g.leftX + aw / 3, h / 3), QPoint(g.leftX + aw / 3, 2 * h / 3),
                      QPoint(g.leftX + 2 * aw / 3, h / 2)}),
            palette());
  DrawThumb(painter, g.rightThumb, g.rightThumbHit,
            dragging && dragged == RangeSliderModel::DragTarget::RightThumb,
            QPolygon({QPoint(g.rightX + aw + 2 * aw / 3, h / 3), QPoint(g.rightX + aw + 2 * aw / 3, 2 * h / 3),
                      QPoint(g.rightX + aw + aw / 3, h / 2)}),
            palette());

  if (!g.bar.IsEmpty()) painter.fillRect(ToQRect(g.bar), Qt::white);
  if (g.visibleSpan && !g.visibleSpan->IsEmpty())
    painter.fillRect(ToQRect(*g.visibleSpan), QColor(255, 255, 150));

  if (hasFocus()) {
    const PixelRect focus{g.bar.left + 3, g.bar.top + 3, g.bar.right - 3, g.bar.bottom - 3};
    if (!focus.IsEmpty()) {
      painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(focus.left, focus.top, focus.Width() - 1, focus.Height() - 1);
    }
  }
}

void CRangeSlider::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  // Qt keeps sending the mouse to the pressed widget until the release,
  // which is the capture a drag needs.
  const QPoint at = event->position().toPoint();
  model_.BeginDrag(at.x(), at.y());
  update();
}

void CRangeSlider::mouseMoveEvent(QMouseEvent* event) {
  if (!model_.IsDragging()) {
    QWidget::mouseMoveEvent(event);
    return;
  }
  const double left = model_.Left();
  const double right = model_.Right();
  Report(model_.DragTo(event->position().toPoint().x()), left, right);
}

void CRangeSlider::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && model_.EndDrag()) {
    update();
    return;
  }
  QWidget::mouseReleaseEvent(event);
}

// The arrow keys stay with the control, Ctrl or not; Tab and every other key
// go on to the window.
void CRangeSlider::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Left && event->key() != Qt::Key_Right) {
    QWidget::keyPressEvent(event);
    return;
  }
  const auto key = event->key() == Qt::Key_Right ? RangeSliderModel::Key::Increase
                                                 : RangeSliderModel::Key::Decrease;
  const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
  const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
  const double left = model_.Left();
  const double right = model_.Right();
  Report(model_.StepKey(key, shift, ctrl), left, right);
}

void CRangeSlider::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void CRangeSlider::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

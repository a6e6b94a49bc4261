#pragma once

#include "RangeSliderModel.h"

#include <QWidget>

// A horizontal slider with two thumbs that selects [left, right] inside
// [min, max]. The user drags either thumb or the bar between them, or steps
// the selection with the arrow keys (Shift moves the right end only). Every
// change is reported at once, before the call that made it returns, as
// rangeChanged with its code (RangeSliderModel::Code).
class CRangeSlider : public QWidget {
  Q_OBJECT

 public:
  explicit CRangeSlider(QWidget* parent = nullptr);

  void SetBounds(double a, double b);
  void SetSelection(double left, double right);
  void GetSelection(double& left, double& right) const;
  void SetVisibleSpan(double from, double to);
  void ShowVisibleSpan(bool show);

  double Minimum() const { return model_.Min(); }
  double Maximum() const { return model_.Max(); }
  // The value of one pixel of the track as last laid out; 0 before.
  double ValuePerPixel() const;

 signals:
  void rangeChanged(int code);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // Sends the reports, tells assistive technology when the selection moved,
  // and redraws.
  void Report(const RangeSliderModel::Codes& codes, double leftBefore, double rightBefore);

  RangeSliderModel model_;
};

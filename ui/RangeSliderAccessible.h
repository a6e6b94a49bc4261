#pragma once

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

class CRangeSlider;

// How assistive technology sees a CRangeSlider: a slider whose value is the
// length of the selection and whose description reads both ends as time
// texts (a value carries one number only).
class RangeSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit RangeSliderAccessible(CRangeSlider* slider);

  // Tells listeners that the value and the description changed.
  static void NotifySelectionChanged(CRangeSlider* slider);

  void* interface_cast(QAccessible::InterfaceType type) override;
  QString text(QAccessible::Text type) const override;

  QVariant currentValue() const override;
  void setCurrentValue(const QVariant& value) override;
  QVariant maximumValue() const override;
  QVariant minimumValue() const override;
  QVariant minimumStepSize() const override;

 private:
  CRangeSlider* Slider() const;
};

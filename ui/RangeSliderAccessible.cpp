#include "RangeSliderAccessible.h"

#include "CRangeSlider.h"
#include "TruncatedTimeText.h"

namespace {

double SelectionLength(const CRangeSlider* slider) {
  double left = 0;
  double right = 0;
  slider->GetSelection(left, right);
  return right - left;
}

}  // namespace

RangeSliderAccessible::RangeSliderAccessible(CRangeSlider* slider)
    : QAccessibleWidget(slider, QAccessible::Slider) {}

void RangeSliderAccessible::NotifySelectionChanged(CRangeSlider* slider) {
  QAccessibleValueChangeEvent valueChange(slider, SelectionLength(slider));
  QAccessible::updateAccessibility(&valueChange);
  QAccessibleEvent descriptionChange(slider, QAccessible::DescriptionChanged);
  QAccessible::updateAccessibility(&descriptionChange);
}

CRangeSlider* RangeSliderAccessible::Slider() const { return static_cast<CRangeSlider*>(widget()); }

void* RangeSliderAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
  return QAccessibleWidget::interface_cast(type);
}

QString RangeSliderAccessible::text(QAccessible::Text type) const {
  if (type != QAccessible::Description) return QAccessibleWidget::text(type);
  double left = 0;
  double right = 0;
  Slider()->GetSelection(left, right);
  return QStringLiteral("From %1 to %2")
      .arg(QString::fromStdString(FormatTruncatedTimeText(left)),
           QString::fromStdString(FormatTruncatedTimeText(right)));
}

QVariant RangeSliderAccessible::currentValue() const { return SelectionLength(Slider()); }

// The length follows from the two ends; only moving them changes it.
void RangeSliderAccessible::setCurrentValue(const QVariant&) {}

QVariant RangeSliderAccessible::maximumValue() const { return Slider()->Maximum() - Slider()->Minimum(); }

QVariant RangeSliderAccessible::minimumValue() const { return 0.0; }

QVariant RangeSliderAccessible::minimumStepSize() const { return Slider()->ValuePerPixel(); }

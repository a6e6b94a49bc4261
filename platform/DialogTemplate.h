#pragma once

#include "DialogUnits.h"

#include <QLatin1String>
#include <QWidget>

// A control of a window template: its resource id (-1 for one nothing refers
// to), the object name tests and assistive tools find it by, and its place
// in dialog units. Each window keeps one table of these, so a reader can go
// from a control id to the widget.
struct TemplateControl {
  int id;
  const char* objectName;
  int x, y, width, height;
};

// Names the control and puts it where the template says.
template <typename Control>
Control* PlaceControl(Control* control, const TemplateControl& place, const DialogUnits& units) {
  control->setObjectName(QLatin1String(place.objectName));
  control->setGeometry(units.ToPixels(place.x, place.y, place.width, place.height));
  return control;
}

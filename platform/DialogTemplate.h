#pragma once

#include "DialogUnits.h"

#include <QFont>
#include <QLabel>
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

// Gives the window its template's font. The face is asked for by name;
// where it is missing, the system picks a similar one.
inline void SetTemplateFont(QWidget& window, const char* face, int points) {
  QFont font(QString::fromLatin1(face));
  font.setPointSize(points);
  window.setFont(font);
}

// A static text of the template, shown as it is: a file name or any other
// text is never read as markup.
inline QLabel* PlaceText(QWidget* parent, const QString& text, const TemplateControl& place,
                         const DialogUnits& units) {
  auto* label = PlaceControl(new QLabel(text, parent), place, units);
  label->setTextFormat(Qt::PlainText);
  return label;
}

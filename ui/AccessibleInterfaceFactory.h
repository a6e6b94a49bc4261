#pragma once

#include <QAccessible>

// Makes Qt build an `Interface` for every widget of exactly the class
// `Widget` (a subclass has its own name and is left to Qt); installed once
// however often this is called.
template <class Widget, class Interface>
void RegisterAccessibleInterface() {
  static const bool installed =
      (QAccessible::installFactory([](const QString& className, QObject* object) -> QAccessibleInterface* {
         auto* widget = qobject_cast<Widget*>(object);
         if (!widget || className != QLatin1String(Widget::staticMetaObject.className())) return nullptr;
         return new Interface(widget);
       }),
       true);
  Q_UNUSED(installed);
}

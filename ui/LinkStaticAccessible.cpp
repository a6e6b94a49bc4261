#include "LinkStaticAccessible.h"

#include "CLinkStatic.h"

LinkStaticAccessible::LinkStaticAccessible(CLinkStatic* link) : QAccessibleWidget(link, QAccessible::Link) {}

CLinkStatic* LinkStaticAccessible::Link() const { return static_cast<CLinkStatic*>(widget()); }

QString LinkStaticAccessible::text(QAccessible::Text type) const {
  switch (type) {
    case QAccessible::Name:
      return Link()->accessibleName().isEmpty() ? Link()->text() : Link()->accessibleName();
    case QAccessible::Description:
      return Link()->accessibleDescription().isEmpty() ? Link()->LinkUrl() : Link()->accessibleDescription();
    default:
      return QAccessibleWidget::text(type);
  }
}

QStringList LinkStaticAccessible::actionNames() const {
  return QStringList(pressAction()) + QAccessibleWidget::actionNames();
}

void LinkStaticAccessible::doAction(const QString& actionName) {
  if (actionName == pressAction()) {
    Link()->Open();
  } else {
    QAccessibleWidget::doAction(actionName);
  }
}

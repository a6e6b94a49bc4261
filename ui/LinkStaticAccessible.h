#pragma once

#include <QAccessibleWidget>

class CLinkStatic;

// How assistive technology sees a CLinkStatic: a link named by its text,
// described by its address, with a press action that opens it.
class LinkStaticAccessible : public QAccessibleWidget {
 public:
  explicit LinkStaticAccessible(CLinkStatic* link);

  QString text(QAccessible::Text type) const override;
  QStringList actionNames() const override;
  void doAction(const QString& actionName) override;

 private:
  CLinkStatic* Link() const;
};

#pragma once

#include "CDropTarget.h"

#include <QTreeWidget>

// The task list control: a report-style list of rows that takes files
// dropped from the desktop (text/uri-list). A drop becomes a list of local
// paths for the drop rules, which resolve links and hand each accepted path
// to the callback of the drop options.
class CDropListCtrl : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CDropListCtrl(QWidget* parent = nullptr);

  CDropTarget& DropTarget() { return dropTarget_; }

 signals:
  // After the paths of a drop have been handed on.
  void filesDropped();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  CDropTarget dropTarget_;
};

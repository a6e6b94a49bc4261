#pragma once

#include "CDropTarget.h"

#include <QTreeWidget>

#include <string>
#include <vector>

// The task list control: a report-style list of rows that takes files
// dropped from the desktop (text/uri-list). A drop is always a copy, so the
// file manager never takes it for a move, and is over at once: its local
// paths come afterwards in filesDropped, for the owner to hand to the drop
// rules (DropTarget().OnDropFiles), which resolve links and give each
// accepted path to the callback of the drop options.
class CDropListCtrl : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CDropListCtrl(QWidget* parent = nullptr);

  CDropTarget& DropTarget() { return dropTarget_; }

 signals:
  // Once the drop has ended, queued: its local paths, in the order dropped.
  void filesDropped(const std::vector<std::string>& paths);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The event's local files, in the order dragged; when there are any, the
  // event is accepted as a copy, else ignored.
  static std::vector<std::string> AcceptAsCopy(QDropEvent* event);

  CDropTarget dropTarget_;
};

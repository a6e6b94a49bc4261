#include "CDropListCtrl.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMetaObject>
#include <QMimeData>
#include <QUrl>

#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> LocalPaths(const QMimeData* data) {
  std::vector<std::string> paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  }
  return paths;
}

}  // namespace

CDropListCtrl::CDropListCtrl(QWidget* parent) : QTreeWidget(parent) {
  setAcceptDrops(true);
  // The list's own item moves are not wanted; only the desktop's files.
  setDragDropMode(QAbstractItemView::DropOnly);
}

void CDropListCtrl::dragEnterEvent(QDragEnterEvent* event) { AcceptAsCopy(event); }

void CDropListCtrl::dragMoveEvent(QDragMoveEvent* event) { AcceptAsCopy(event); }

void CDropListCtrl::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths = AcceptAsCopy(event);
  if (paths.empty()) return;
  // The file manager waits for this event to return; the files are added
  // after it has.
  QMetaObject::invokeMethod(
      this, [this, paths = std::move(paths)] { emit filesDropped(paths); }, Qt::QueuedConnection);
}

std::vector<std::string> CDropListCtrl::AcceptAsCopy(QDropEvent* event) {
  std::vector<std::string> paths = LocalPaths(event->mimeData());
  if (paths.empty()) {
    event->ignore();
    return paths;
  }
  // Whatever the keys held down propose: a move would let the file manager
  // delete the dragged files.
  event->setDropAction(Qt::CopyAction);
  event->accept();
  return paths;
}

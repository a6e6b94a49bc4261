#include "CDropListCtrl.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <string>
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

void CDropListCtrl::dragEnterEvent(QDragEnterEvent* event) {
  if (LocalPaths(event->mimeData()).empty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
}

void CDropListCtrl::dragMoveEvent(QDragMoveEvent* event) {
  if (LocalPaths(event->mimeData()).empty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
}

void CDropListCtrl::dropEvent(QDropEvent* event) {
  const std::vector<std::string> paths = LocalPaths(event->mimeData());
  if (paths.empty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  dropTarget_.OnDropFiles(paths);
  emit filesDropped();
}

#include "DesktopShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

bool DesktopShellOpen::Open(const std::string& target) {
  const QString text = QString::fromStdString(target);
  // A local path is opened as a file URL; anything with a scheme as it is.
  const QUrl url = text.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(text) : QUrl(text);
  return QDesktopServices::openUrl(url);
}

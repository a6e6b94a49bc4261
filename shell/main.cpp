#include "CExtractorApp.h"
#include "ui/MakerLinks.h"

#include <QApplication>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kProductName));
  QApplication::setDesktopFileName(QStringLiteral("tolvar-audio-extractor"));
  // Files given on the command line (a file manager's "Open with") are added
  // to the list; there are no options.
  QStringList files = QApplication::arguments();
  files.removeFirst();
  CExtractorApp extractor;
  return extractor.Run(files);
}

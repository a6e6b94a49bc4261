// Renders the program's SVG icon as a square PNG of one size, for the
// hicolor icon theme. The same SVG and Qt give the same bytes, so the icons
// are made at build time instead of kept as copies that could drift.

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s ICON.svg SIZE ICON.png\n", argv[0]);
    return 2;
  }
  // The SVG reader is a plugin; the application object tells Qt where plugins are.
  QCoreApplication application(argc, argv);
  const int size = std::atoi(argv[2]);
  QImageReader reader(QString::fromLocal8Bit(argv[1]), "svg");
  reader.setScaledSize(QSize(size, size));
  const QImage icon = reader.read();
  if (icon.isNull()) {
    std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(reader.errorString()));
    return 1;
  }
  QImageWriter writer(QString::fromLocal8Bit(argv[3]), "png");
  if (!writer.write(icon)) {
    std::fprintf(stderr, "%s: %s\n", argv[3], qPrintable(writer.errorString()));
    return 1;
  }
  return 0;
}

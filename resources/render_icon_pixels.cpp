// Build tool: writes the application icon's pixels as <dir>/<n> for every size the desktop asks
// for, premultiplied ARGB32 rows as they lie in a QImage of this machine, for the program to
// show without drawing the picture at every start.
//   render_icon_pixels <dir>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "shell/icon_picture.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: render_icon_pixels <dir>\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  const QDir out(QString::fromLocal8Bit(argv[1]));
  if (!out.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "render_icon_pixels: cannot make %s\n", argv[1]);
    return 1;
  }
  for (int size : quenby::shell::kIconSizes) {
    const QImage image = quenby::shell::applicationIconImage(size);
    const auto bytes = static_cast<qint64>(image.sizeInBytes());
    QFile file(out.filePath(QString::number(size)));
    if (image.bytesPerLine() != 4 * size || !file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(image.constBits()), bytes) != bytes) {
      std::fprintf(stderr, "render_icon_pixels: cannot write the %dx%d icon\n", size, size);
      return 1;
    }
  }
  return 0;
}

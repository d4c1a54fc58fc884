// Build tool: writes the application icon as <dir>/<n>x<n>/quenby.png for every size the desktop
// asks for, from the same picture and the same code the program shows it with.
//   render_icon <dir>

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "shell/icon_picture.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: render_icon <dir>\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  const QDir out(QString::fromLocal8Bit(argv[1]));
  for (int size : quenby::shell::kIconSizes) {
    const QString sub = QStringLiteral("%1x%1").arg(size);
    const QImage image = quenby::shell::applicationIconImage(size);
    if (!out.mkpath(sub) || image.isNull() || !image.save(out.filePath(sub + "/quenby.png"))) {
      std::fprintf(stderr, "render_icon: cannot write the %s icon\n", qPrintable(sub));
      return 1;
    }
  }
  return 0;
}

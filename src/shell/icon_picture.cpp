#include "shell/icon_picture.h"

#include <QPainter>
#include <QSvgRenderer>

namespace quenby::shell {

QImage applicationIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QSvgRenderer artwork(QStringLiteral(":/quenby/quenby.svg"));
  QPainter painter(&image);
  artwork.render(&painter);
  return image;
}

}  // namespace quenby::shell

#include "shell/built_pictures.h"

#include <QHash>
#include <QPaintDevice>
#include <QPainter>
#include <QResource>
#include <array>
#include <cstring>

#include "shell/qt_text.h"

namespace quenby::shell {

namespace {

using Place = std::array<qint32, 4>;  // x, y, width, height

}  // namespace

int pictureRatio(const QPainter& painter) {
  const qreal ratio = painter.device() ? painter.device()->devicePixelRatio() : 0;
  for (int built : kPictureRatios)
    if (ratio == built) return built;
  return 0;
}

QString buttonPictureName(std::string_view window, const FieldId& button, bool down) {
  return qt(window) + QLatin1Char('/') + QString::fromStdString(toString(button)) +
         (down ? QLatin1String("/down") : QLatin1String("/up"));
}

QString titlePictureName(std::string_view window) { return qt(window) + QLatin1String("/title"); }

QString pictureFile(const QString& name, int ratio) {
  return name + QLatin1Char('@') + QString::number(ratio);
}

namespace {

std::optional<Picture> readPicture(const QString& file, int ratio) {
  const QResource resource(QStringLiteral(":/quenby/pictures/") + file);
  if (!resource.isValid()) return std::nullopt;
  const QByteArray bytes = resource.uncompressedData();
  if (bytes.size() < qsizetype{sizeof(Place)}) return std::nullopt;
  Place place;
  std::memcpy(place.data(), bytes.constData(), sizeof place);
  Picture picture{QRect(place[0], place[1], place[2], place[3]), {}};
  picture.image = imageOf(bytes, sizeof place, picture.place.size() * ratio, QImage::Format_RGB32);
  if (picture.image.isNull() || bytes.size() != qsizetype{sizeof place} + picture.image.sizeInBytes())
    return std::nullopt;
  picture.image.setDevicePixelRatio(ratio);
  return picture;
}

}  // namespace

std::optional<Picture> builtPicture(const QString& name, int ratio) {
  // Read once per run: a paint asks again each time, and the pictures for the ratio 2 are unpacked.
  // Windows are painted on the UI thread alone.
  static QHash<QString, std::optional<Picture>> read;
  const QString file = pictureFile(name, ratio);
  auto found = read.constFind(file);
  if (found == read.constEnd()) found = read.insert(file, readPicture(file, ratio));
  return *found;
}

QByteArray pictureBytes(const Picture& picture) {
  const QImage image = picture.image.convertToFormat(QImage::Format_RGB32);
  const Place place = {picture.place.x(), picture.place.y(), picture.place.width(), picture.place.height()};
  QByteArray bytes(reinterpret_cast<const char*>(place.data()), sizeof place);
  for (int y = 0; y < image.height(); ++y)
    bytes.append(reinterpret_cast<const char*>(image.constScanLine(y)), qsizetype{4} * image.width());
  return bytes;
}

QImage imageOf(const QByteArray& bytes, qsizetype offset, QSize size, QImage::Format format) {
  const qsizetype bytesPerLine = qsizetype{4} * size.width();
  if (size.isEmpty() || bytes.size() < offset + bytesPerLine * size.height()) return {};
  const auto* pixels = reinterpret_cast<const uchar*>(bytes.constData() + offset);
  if (reinterpret_cast<quintptr>(pixels) % alignof(quint32) != 0)
    return QImage(pixels, size.width(), size.height(), bytesPerLine, format).copy();
  // The image holds on to the bytes: those unpacked from a compressed picture live as long as it.
  auto* kept = new QByteArray(bytes);
  return QImage(
      pixels, size.width(), size.height(), bytesPerLine, format,
      [](void* held) { delete static_cast<QByteArray*>(held); }, kept);
}

}  // namespace quenby::shell

#pragma once
// Pictures the build draws with the windows' own painting code (resources/render_pictures.cpp)
// and the windows show as they are: the faces of the picture buttons, at rest and pressed, and
// the titles on the backdrops' bands. Drawn at each start, their words took font engines of their
// own (the buttons' bold words, the serif title) for texts that never change. The build draws
// them for the device pixel ratios 1 and 2; a screen of any other ratio gets the live drawing,
// and so does a window the build drew nothing for.
//
// A picture is filed as :/quenby/pictures/<window>/<name>@<ratio>: its place in the widget that
// shows it (four 32-bit integers, logical pixels: x, y, width, height), then its opaque pixels,
// RGB32 rows as they lie in a QImage of this machine. Those for the ratio 1 are stored as they
// are and shown in place; those for 2, four times the size, are stored compressed, since the
// pages of whatever the program holds near a page it reads count as its memory too.

#include <QImage>
#include <QRect>
#include <QString>
#include <optional>
#include <string_view>

#include "calc/field.h"

class QPainter;

namespace quenby::shell {

// The device pixel ratios the build draws pictures for.
constexpr int kPictureRatios[] = {1, 2};

struct Picture {
  QRect place;   // logical pixels
  QImage image;  // place's size times the ratio, with that device pixel ratio
};

// The device pixel ratio the painter's pixels have, when the build draws pictures for it; else 0.
int pictureRatio(const QPainter& painter);

// The names of a window's pictures: a button's face ("Form1/Command7/up") and its band's title.
QString buttonPictureName(std::string_view window, const FieldId& button, bool down);
QString titlePictureName(std::string_view window);

// The file of a picture at a ratio, relative to the pictures' folder: "<name>@<ratio>".
QString pictureFile(const QString& name, int ratio);
// The picture the build filed under `name` for `ratio`, its pixels shown where the program holds
// them; nullopt when there is none.
std::optional<Picture> builtPicture(const QString& name, int ratio);
// A picture as the build files it.
QByteArray pictureBytes(const Picture& picture);

// The pixels `bytes` hold at `offset` (a resource's uncompressed data), in place unless their
// rows would not start on word boundaries; a null image when there are fewer bytes.
QImage imageOf(const QByteArray& bytes, qsizetype offset, QSize size, QImage::Format format);

}  // namespace quenby::shell

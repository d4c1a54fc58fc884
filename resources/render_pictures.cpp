// Build tool: draws the pictures the sheet windows show as they are (see shell/built_pictures.h)
// with the windows' own painting code, for the device pixel ratio of its screen, into
// <dir>/<window>/..., and lists them in <dir>/pictures@<ratio>.qrc for rcc. A button's pictures
// are its face over the window's background where the button stands, exactly the pixels the
// window shows there; a title's picture is the part of the band its letters change. Qt draws
// letters at a ratio other than 1 unhinted, so the pictures for 2 are drawn on a screen of 2
// (QT_SCALE_FACTOR=2), as a window on such a screen draws them.
//   render_pictures <dir>

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>

#include "sheet/calculator_spec.h"
#include "shell/appearance.h"
#include "shell/built_pictures.h"
#include "shell/twips.h"

namespace {

using namespace quenby;

// A window's look painted on an opaque image of `place` (logical pixels) at `ratio`.
QImage paint(QRect place, int ratio, const std::function<void(QPainter&)>& draw) {
  QImage image(place.size() * ratio, QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::black);
  QPainter painter(&image);
  painter.translate(-place.topLeft());
  draw(painter);
  return image;
}

// The smallest rectangle, in whole logical pixels, outside which the two images agree.
QRect difference(const QImage& a, const QImage& b, int ratio) {
  QRect changed;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) changed |= QRect(x / ratio, y / ratio, 1, 1);
  return changed;
}

class Writer {
 public:
  Writer(const QDir& out, int ratio) : out_(out), ratio_(ratio) {}
  bool write(const QString& name, const shell::Picture& picture) {
    const QString file = shell::pictureFile(name, ratio_);
    const QByteArray bytes = shell::pictureBytes(picture);
    QFile f(out_.filePath(file));
    if (!out_.mkpath(QFileInfo(file).path()) || !f.open(QIODevice::WriteOnly) ||
        f.write(bytes) != bytes.size()) {
      std::fprintf(stderr, "render_pictures: cannot write %s\n", qPrintable(f.fileName()));
      return false;
    }
    // Stored as they are for the ratio of most screens, shown without unpacking; compressed for 2.
    qrc_ += QStringLiteral("    <file compression-algorithm=\"%1\">%2</file>\n")
                .arg(ratio_ == 1 ? QLatin1String("none") : QLatin1String("zstd"), file);
    return true;
  }
  bool finish() {
    QFile f(out_.filePath(QStringLiteral("pictures@%1.qrc").arg(ratio_)));
    const QByteArray text =
        ("<RCC>\n  <qresource prefix=\"/quenby/pictures\">\n" + qrc_ + "  </qresource>\n</RCC>\n").toUtf8();
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
  }

 private:
  QDir out_;
  int ratio_;
  QString qrc_;
};

// The title: the band with its letters, where they change it.
bool renderTitle(const layout::Window& window, int ratio, Writer& writer) {
  const layout::Backdrop& b = window.backdrop;
  const QSize size = shell::clientPixels(window);
  const double width = b.width > 0 ? shell::pixels(b.width) : size.width();
  const QRect band(0, 0, size.width(), shell::pixels(b.bandHeight));
  auto bandOf = [&](bool withTitle) {
    return paint(band, ratio, [&](QPainter& p) {
      p.setClipRect(QRectF(0, 0, width, band.height()));
      shell::paintBand(p, b, width, withTitle);
    });
  };
  const QImage titled = bandOf(true);
  const QRect letters = difference(titled, bandOf(false), ratio);
  return !letters.isEmpty() &&
         writer.write(shell::titlePictureName(window.name),
                      {letters, titled.copy(QRect(letters.topLeft() * ratio, letters.size() * ratio))});
}

// The buttons: the face over the backdrop where the button stands, at rest and pressed.
bool renderButtons(const layout::Window& window, int ratio, Writer& writer) {
  const QSize size = shell::clientPixels(window);
  const QFont windowFont = shell::sheetFont().resolve(QGuiApplication::font());
  for (const layout::Control& c : window.controls) {
    if (c.kind != layout::Kind::PictureButton) continue;
    const QRect place = shell::pixels(c.rect);
    const QString word = QString::fromUtf8(c.caption.data(), static_cast<qsizetype>(c.caption.size()));
    for (bool down : {false, true}) {
      const QImage image = paint(place, ratio, [&](QPainter& p) {
        shell::paintBackdrop(p, window, size.width(), size.height());
        p.translate(place.topLeft());
        shell::paintButtonFace(p, place.size(), word, c.face, shell::controlFont(c, windowFont), down);
      });
      if (!writer.write(shell::buttonPictureName(window.name, c.id, down),
                        {QRect(QPoint(0, 0), place.size()), image}))
        return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: render_pictures <dir>\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  shell::installFontSubstitutions();
  // The words must be drawn in the Song-style face the windows ask for, not in a stand-in.
  const QString face = QFontInfo(shell::sheetFont()).family();
  if (!QFont::substitutes(QStringLiteral("宋体")).contains(face, Qt::CaseInsensitive)) {
    std::fprintf(stderr,
                 "render_pictures: no Song-style font for 宋体 (found %s): install fonts-arphic-uming\n",
                 qPrintable(face));
    return 1;
  }
  const int ratio = qRound(app.devicePixelRatio());
  if (std::find(std::begin(shell::kPictureRatios), std::end(shell::kPictureRatios), ratio) ==
      std::end(shell::kPictureRatios)) {
    std::fprintf(stderr, "render_pictures: no pictures are drawn for the pixel ratio %d\n", ratio);
    return 1;
  }
  Writer writer(QDir(QString::fromLocal8Bit(argv[1])), ratio);
  for (const CalculatorSpec* calculator : calculatorList()) {
    const layout::Window& window = calculator->layout();
    if (!renderTitle(window, ratio, writer) || !renderButtons(window, ratio, writer)) {
      std::fprintf(stderr, "render_pictures: cannot draw the pictures of %s\n", window.name.data());
      return 1;
    }
  }
  return writer.finish() ? 0 : 1;
}

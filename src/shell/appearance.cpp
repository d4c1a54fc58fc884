#include "shell/appearance.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QResource>

#include "shell/built_pictures.h"
#include "shell/qt_text.h"
#include "shell/twips.h"

namespace quenby::shell {

namespace {

const QColor kBandTop(24, 66, 122);
const QColor kBandBottom(46, 104, 170);
const QColor kWood(201, 170, 118);
const QColor kWoodDark(176, 139, 84);
const QColor kWarmPanel(251, 248, 238);
const QColor kWarmFrame(110, 76, 40);
const QColor kSlate(150, 160, 176);
const QColor kSlateDark(118, 128, 146);
const QColor kGreyPanel(228, 230, 234);
const QColor kGreyFrame(70, 80, 100);

QRectF px(const layout::Rect& r) { return QRectF(pixels(r)); }

}  // namespace

void paintBand(QPainter& p, const layout::Backdrop& b, double width, bool withTitle) {
  const double band = pixels(b.bandHeight);
  QLinearGradient blue(0, 0, 0, band);
  blue.setColorAt(0, kBandTop);
  blue.setColorAt(1, kBandBottom);
  p.fillRect(QRectF(0, 0, width, band), blue);
  p.fillRect(QRectF(0, band - 2, width, 2), b.style == layout::PanelStyle::Dotted ? kGreyFrame : kWarmFrame);
  if (!withTitle) return;
  QFont titleFont(QStringLiteral("DejaVu Serif"));
  titleFont.setPixelSize(static_cast<int>(band * 0.5));
  titleFont.setBold(true);
  titleFont.setItalic(true);
  p.setFont(titleFont);
  const QString title = qt(b.title);
  p.setPen(QColor(0, 0, 0, 90));
  p.drawText(QRectF(26, 2, width, band), Qt::AlignLeft | Qt::AlignVCenter, title);
  p.setPen(Qt::white);
  p.drawText(QRectF(24, 0, width, band), Qt::AlignLeft | Qt::AlignVCenter, title);
}

void installFontSubstitutions() {
  // The first installed face of the list wins; fonts-arphic-uming is the one the project installs.
  const QStringList song = {QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC"),
                            QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")};
  QFont::insertSubstitutions(QStringLiteral("宋体"), song);
  QFont::insertSubstitutions(QStringLiteral("SimSun"), song);
}

QFont sheetFont() {
  QFont font(QStringLiteral("宋体"));
  font.setPointSizeF(9);
  return font;
}

QFont controlFont(const layout::Control& c, const QFont& windowFont) {
  QFont font = windowFont;
  if (!c.fontFamily.empty()) font.setFamily(qt(c.fontFamily));
  if (c.fontPoints > 0) font.setPointSizeF(c.fontPoints);
  return font;
}

QPalette sheetPalette() {
  const QColor light(240, 240, 240);
  QPalette palette(light, light);  // button, window
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(role, Qt::black);
  palette.setColor(QPalette::Base, Qt::white);
  return palette;
}

QColor faceColour(layout::Face face) {
  switch (face) {
    case layout::Face::BlueWhite:
      return {38, 96, 170};
    case layout::Face::LightDark:
      return {236, 228, 206};
    case layout::Face::WhiteDark:
      return {255, 255, 255};
    case layout::Face::SteelDark:
      return {153, 170, 202};
    case layout::Face::Grey:
      return {192, 192, 192};
    case layout::Face::None:
      break;
  }
  return {38, 96, 170};
}

QColor inkColour(layout::Face face) {
  return face == layout::Face::BlueWhite || face == layout::Face::None ? QColor(255, 255, 255)
                                                                       : QColor(40, 32, 24);
}

QIcon applicationIcon() {
  QIcon icon;
  for (int size : kIconSizes) {
    // The pixmaps show the pixels where the program holds them, without a copy of their own,
    // unless the rows would not start on word boundaries.
    const QResource pixels(QStringLiteral(":/quenby/icon/%1").arg(size));
    if (pixels.size() != qint64{4} * size * size) continue;
    icon.addPixmap(QPixmap::fromImage(
        imageOf(pixels.uncompressedData(), 0, QSize(size, size), QImage::Format_ARGB32_Premultiplied)));
  }
  return icon;
}

// Two pictures of the same word: the face at rest, and while pressed a darker face with the word
// sunk by a pixel.
void paintButtonFace(QPainter& p, QSize size, const QString& word, layout::Face face, const QFont& font,
                     bool down) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QColor colour = faceColour(face);
  const QRectF r = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(0.5, 0.5, -0.5, -0.5);

  p.setPen(QPen(colour.darker(170), 1));
  p.setBrush(down ? colour.darker(125) : colour);
  p.drawRoundedRect(r, 4, 4);
  if (!down) {  // highlight along the upper edge
    p.setPen(QPen(QColor(255, 255, 255, 150), 1));
    p.drawLine(QPointF(r.left() + 4, r.top() + 1.5), QPointF(r.right() - 4, r.top() + 1.5));
  }

  QFont wordFont = font;
  wordFont.setBold(face == layout::Face::BlueWhite);
  wordFont.setPixelSize(std::max(11, std::min(15, size.height() - 16)));
  p.setFont(wordFont);
  p.setPen(inkColour(face));
  p.drawText(down ? r.translated(1, 1) : r, Qt::AlignCenter, word);
  p.restore();
}

void paintBackdrop(QPainter& p, const layout::Window& window, int width, int height) {
  const layout::Backdrop& b = window.backdrop;
  const bool dotted = b.style == layout::PanelStyle::Dotted;
  const double pictureWidth = b.width > 0 ? pixels(b.width) : width;
  const double pictureHeight = b.height > 0 ? pixels(b.height) : height;
  QLinearGradient surround(0, 0, 0, height);
  surround.setColorAt(0, dotted ? kSlate : kWood);
  surround.setColorAt(1, dotted ? kSlateDark : kWoodDark);
  p.fillRect(0, 0, width, height, surround);
  p.save();
  p.setClipRect(QRectF(0, 0, pictureWidth, pictureHeight));
  const int ratio = pictureRatio(p);
  const std::optional<Picture> title =
      ratio ? builtPicture(titlePictureName(window.name), ratio) : std::nullopt;
  paintBand(p, b, pictureWidth, !title);
  if (title) p.drawImage(title->place.topLeft(), title->image);

  p.setRenderHint(QPainter::Antialiasing);
  const QRectF panel = px(b.panel);
  QPainterPath outline;
  outline.addRoundedRect(panel.adjusted(0.5, 0.5, -0.5, -0.5), dotted ? 10 : 6, dotted ? 10 : 6);
  for (const layout::Rect& tab : b.tabs) {
    QRectF r = px(tab);
    r.setBottom(panel.top() + 8);
    QPainterPath shape;
    shape.addRoundedRect(r.adjusted(0.5, 0.5, -0.5, 0), 5, 5);
    outline = outline.united(shape);
  }
  if (dotted) {
    p.setPen(Qt::NoPen);
    p.setBrush(kGreyPanel);
    p.drawPath(outline);
    QPen dots(kGreyFrame, 1.5, Qt::DotLine);
    p.setPen(dots);
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
  } else {
    p.setPen(QPen(kWarmFrame, 2));
    p.setBrush(kWarmPanel);
    p.drawPath(outline);
    p.setPen(QPen(QColor(255, 255, 255, 160), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(panel.adjusted(3, 3, -3, -3), 4, 4);
  }
  p.restore();
}

}  // namespace quenby::shell

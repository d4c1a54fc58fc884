#include "shell/picture_button.h"

#include <QPainter>

#include "shell/appearance.h"

namespace quenby::shell {

PictureButton::PictureButton(const QString& word, layout::Face face, QWidget* parent)
    : QAbstractButton(parent), face_(face) {
  setText(word);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
}

QSize PictureButton::sizeHint() const { return {81, 33}; }

// Two pictures of the same word: the face at rest, and while pressed a darker face with the word
// sunk by a pixel.
void PictureButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const bool down = isDown();
  const QColor face = faceColour(face_);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

  p.setPen(QPen(face.darker(170), 1));
  p.setBrush(down ? face.darker(125) : face);
  p.drawRoundedRect(r, 4, 4);
  if (!down) {  // highlight along the upper edge
    p.setPen(QPen(QColor(255, 255, 255, 150), 1));
    p.drawLine(QPointF(r.left() + 4, r.top() + 1.5), QPointF(r.right() - 4, r.top() + 1.5));
  }

  QFont word = font();
  word.setBold(face_ == layout::Face::BlueWhite);
  word.setPixelSize(std::max(11, std::min(15, height() - 16)));
  p.setFont(word);
  p.setPen(inkColour(face_));
  p.drawText(down ? r.translated(1, 1) : r, Qt::AlignCenter, text());

  if (hasFocus()) {
    p.setRenderHint(QPainter::Antialiasing, false);
    QColor ink = inkColour(face_);
    ink.setAlpha(170);
    p.setPen(QPen(ink, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(3, 3, -4, -4));
  }
}

}  // namespace quenby::shell

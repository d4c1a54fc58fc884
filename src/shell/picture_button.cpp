#include "shell/picture_button.h"

#include <QLinearGradient>
#include <QPainter>

namespace quenby::shell {

PictureButton::PictureButton(const QString& word, layout::Face face, QWidget* parent)
    : QAbstractButton(parent), face_(face) {
  setText(word);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
}

QSize PictureButton::sizeHint() const { return {81, 33}; }

void PictureButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const bool down = isDown();
  const bool blue = face_ != layout::Face::LightDark;
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

  QColor top = blue ? QColor(74, 138, 214) : QColor(250, 246, 232);
  QColor bottom = blue ? QColor(22, 74, 150) : QColor(214, 200, 168);
  if (down) std::swap(top, bottom);
  QLinearGradient fill(r.topLeft(), r.bottomLeft());
  fill.setColorAt(0, top);
  fill.setColorAt(1, bottom);
  p.setPen(QPen(blue ? QColor(12, 42, 92) : QColor(120, 96, 60), 1));
  p.setBrush(fill);
  p.drawRoundedRect(r, 5, 5);
  if (!down) {  // highlight along the upper edge
    p.setPen(QPen(QColor(255, 255, 255, blue ? 90 : 200), 1));
    p.drawLine(QPointF(r.left() + 4, r.top() + 1.5), QPointF(r.right() - 4, r.top() + 1.5));
  }

  QFont word = font();
  word.setBold(blue);
  word.setPixelSize(std::max(11, std::min(15, height() - 16)));
  p.setFont(word);
  p.setPen(blue ? Qt::white : QColor(60, 40, 20));
  const QRectF textRect = down ? r.translated(1, 1) : r;
  p.drawText(textRect, Qt::AlignCenter, text());

  if (hasFocus()) {
    p.setRenderHint(QPainter::Antialiasing, false);
    QPen dots(blue ? QColor(255, 255, 255, 200) : QColor(60, 40, 20, 160), 1, Qt::DotLine);
    p.setPen(dots);
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(3, 3, -4, -4));
  }
}

}  // namespace quenby::shell

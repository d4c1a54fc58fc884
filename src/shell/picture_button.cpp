#include "shell/picture_button.h"

#include <QPainter>

#include "shell/appearance.h"
#include "shell/built_pictures.h"

namespace quenby::shell {

PictureButton::PictureButton(const QString& word, layout::Face face, QWidget* parent)
    : QAbstractButton(parent), face_(face) {
  setText(word);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::PointingHandCursor);
}

QSize PictureButton::sizeHint() const { return {81, 33}; }

void PictureButton::usePictures(std::string_view window, const FieldId& id) {
  pictureUp_ = window.empty() ? QString() : buttonPictureName(window, id, false);
  pictureDown_ = window.empty() ? QString() : buttonPictureName(window, id, true);
}

void PictureButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const bool down = isDown();
  const QString& name = down ? pictureDown_ : pictureUp_;
  const int ratio = name.isEmpty() ? 0 : pictureRatio(p);
  const std::optional<Picture> picture = ratio ? builtPicture(name, ratio) : std::nullopt;
  if (picture && picture->place == rect()) {
    p.drawImage(0, 0, picture->image);
  } else {
    paintButtonFace(p, size(), text(), face_, font(), down);
  }

  if (hasFocus()) {
    QColor ink = inkColour(face_);
    ink.setAlpha(170);
    p.setPen(QPen(ink, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(3, 3, -4, -4));
  }
}

}  // namespace quenby::shell

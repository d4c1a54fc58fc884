#pragma once
// A button whose face is a small picture with a word on it, drawn by the program: white
// characters on blue, or dark characters on a light face. Pressed, the face darkens and the word
// sinks by a pixel.

#include <QAbstractButton>

#include "sheet/layout.h"

namespace quenby::shell {

class PictureButton : public QAbstractButton {
  Q_OBJECT

 public:
  PictureButton(const QString& word, layout::Face face, QWidget* parent = nullptr);

  layout::Face face() const { return face_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  layout::Face face_;
};

}  // namespace quenby::shell

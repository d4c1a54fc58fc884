#pragma once
// A button whose face is a small picture with a word on it: white characters on blue, or dark
// characters on a light face. Pressed, the face darkens and the word sinks by a pixel. It shows
// the pictures the build drew of it (built_pictures.h) where there are some for the screen's
// pixel ratio, and draws its face itself elsewhere; the focus frame is drawn over either.

#include <QAbstractButton>

#include "sheet/layout.h"

namespace quenby::shell {

class PictureButton : public QAbstractButton {
  Q_OBJECT

 public:
  PictureButton(const QString& word, layout::Face face, QWidget* parent = nullptr);

  layout::Face face() const { return face_; }
  // Shows the built pictures of the button `id` of `window`; an empty window draws the face.
  void usePictures(std::string_view window, const FieldId& id);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  layout::Face face_;
  QString pictureUp_, pictureDown_;  // the names of the built pictures, empty for none
};

}  // namespace quenby::shell

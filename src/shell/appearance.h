#pragma once
// The look shared by the sheet windows: fonts, button faces, the application icon and the
// background artwork, all drawn by the program's own code (the build draws some of it ahead: see
// built_pictures.h).

#include <QColor>
#include <QIcon>
#include <QPalette>

#include "sheet/layout.h"
#include "shell/icon_picture.h"

class QPainter;

namespace quenby::shell {

// Maps "宋体" to the Song-style face installed here, so the fields render in Chinese anywhere.
void installFontSubstitutions();

// The default font of a sheet window: "宋体", 9 pt.
QFont sheetFont();
// The font of a control in a window of `windowFont`: the family and size its table gives, if any.
QFont controlFont(const layout::Control& control, const QFont& windowFont);

// The colours of a sheet window, whatever the desktop's: black words on the light artwork, in
// white fields and on light-grey buttons.
QPalette sheetPalette();

// The application icon at the sizes the desktop asks for: the pixels the build drew from the
// picture (icon_picture.h), since drawing it at every start cost more than drawing the window's
// background.
QIcon applicationIcon();

// The face colour of a button, and the colour of the word on it.
QColor faceColour(layout::Face face);
QColor inkColour(layout::Face face);

// A picture button's face of `size` with its word, at rest or pressed.
void paintButtonFace(QPainter& painter, QSize size, const QString& word, layout::Face face, const QFont& font,
                     bool down);

// A window's background picture, drawn from the top left corner at its own size; the rest of the
// window is the panel's surround. The title on the band is the one the build drew for the window,
// where there is one.
void paintBackdrop(QPainter& painter, const layout::Window& window, int width, int height);
// The band across the top of a backdrop `width` wide, with its title or without.
void paintBand(QPainter& painter, const layout::Backdrop& backdrop, double width, bool withTitle);

}  // namespace quenby::shell

#pragma once
// The look shared by the sheet windows: fonts, button faces, the application icon and the
// background artwork, all drawn by the program itself.

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

// A sheet window's background picture, drawn from the top left corner at its own size; the rest
// of the window is the panel's surround.
void paintBackdrop(QPainter& painter, const layout::Backdrop& backdrop, int width, int height);

}  // namespace quenby::shell

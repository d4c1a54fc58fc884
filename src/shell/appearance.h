#pragma once
// The look shared by the sheet windows: fonts, button faces, the application icon and the
// background artwork, all drawn by the program itself.

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPalette>

#include "sheet/layout.h"

class QPainter;

namespace quenby::shell {

// Maps "宋体" to the Song-style face installed here, so the fields render in Chinese anywhere.
void installFontSubstitutions();

// The default font of a sheet window: "宋体", 9 pt.
QFont sheetFont();

// The colours of a sheet window, whatever the desktop's: black words on the light artwork, in
// white fields and on light-grey buttons.
QPalette sheetPalette();

// The application icon, a log's end grain, from the one picture of it (resources/quenby.svg) that
// the desktop gets too: at the sizes the desktop asks for, and at any size for the build.
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};
QIcon applicationIcon();
QImage applicationIconImage(int size);

// The face colour of a button, and the colour of the word on it.
QColor faceColour(layout::Face face);
QColor inkColour(layout::Face face);

// A sheet window's background picture, drawn from the top left corner at its own size; the rest
// of the window is the panel's surround.
void paintBackdrop(QPainter& painter, const layout::Backdrop& backdrop, int width, int height);

}  // namespace quenby::shell

#pragma once
// The look shared by the sheet windows: fonts, the application icon and the background artwork,
// all drawn by the program itself.

#include <QIcon>
#include <QString>
#include <vector>

#include "calc/layout.h"

class QPainter;

namespace quenby::shell {

// Maps "宋体" to the Song-style face installed here, so the fields render in Chinese anywhere.
void installFontSubstitutions();

// What every Quenby process with windows does once its QApplication exists: name, icon, fonts.
void prepareApplication();

// The default font of a sheet window: "宋体", 9 pt.
QFont sheetFont();

// A log's end grain, drawn at the usual icon sizes.
QIcon applicationIcon();

// A sheet window's background picture: a title band carrying the product name, a framed light
// panel under the sheet, and tabs rising from the panel's top edge behind some controls.
struct Backdrop {
  QString title;
  int bandHeight = 0;              // twips
  layout::Rect panel;              // twips
  std::vector<layout::Rect> tabs;  // twips, each rising to the panel's top edge
};

void paintBackdrop(QPainter& painter, const Backdrop& backdrop, int width, int height);

}  // namespace quenby::shell

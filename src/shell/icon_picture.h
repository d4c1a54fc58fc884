#pragma once
// The application icon, a log's end grain, drawn from the one picture of it (resources/quenby.svg)
// that the desktop gets too. Drawing it takes Qt's SVG module; the program itself shows the
// pixels the build drew with this code (see applicationIcon()), so only the build tools and the
// tests link this.

#include <QImage>

namespace quenby::shell {

// The sizes the desktop asks for.
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// The picture drawn at size x size, premultiplied ARGB.
QImage applicationIconImage(int size);

}  // namespace quenby::shell

#pragma once
// 15 twips make one device-independent pixel; Qt's high-DPI scaling does the rest.

#include <QRect>
#include <QSize>

#include "sheet/layout.h"

namespace quenby::shell {

constexpr int pixels(int twips) { return (twips + layout::kTwipsPerPixel / 2) / layout::kTwipsPerPixel; }

// Edges are rounded, not the width, so that neighbouring controls keep their shared borders.
inline QRect pixels(const layout::Rect& r) {
  const int left = pixels(r.left), top = pixels(r.top);
  return {left, top, pixels(r.left + r.width) - left, pixels(r.top + r.height) - top};
}

// A window's size to the nearest pixel: 10900 twips give 727 pixels, 9425 give 628, the widths
// of the background pictures drawn for them.
inline QSize clientPixels(const layout::Window& w) { return {pixels(w.clientWidth), pixels(w.clientHeight)}; }

}  // namespace quenby::shell

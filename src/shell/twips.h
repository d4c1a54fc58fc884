#pragma once
// 15 twips make one device-independent pixel; Qt's high-DPI scaling does the rest.

#include <QRect>
#include <QSize>

#include "calc/layout.h"

namespace quenby::shell {

constexpr int pixels(int twips) { return (twips + layout::kTwipsPerPixel / 2) / layout::kTwipsPerPixel; }

// Edges are rounded, not the width, so that neighbouring controls keep their shared borders.
inline QRect pixels(const layout::Rect& r) {
  const int left = pixels(r.left), top = pixels(r.top);
  return {left, top, pixels(r.left + r.width) - left, pixels(r.top + r.height) - top};
}

// A window is never smaller than its layout: 10900 twips give 727 pixels.
inline QSize clientPixels(const layout::Window& w) {
  constexpr int k = layout::kTwipsPerPixel;
  return {(w.clientWidth + k - 1) / k, (w.clientHeight + k - 1) / k};
}

}  // namespace quenby::shell

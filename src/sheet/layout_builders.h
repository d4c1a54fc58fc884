#pragma once
// Short constructors for the rows of a layout table, so that a window's table reads as a list of
// its controls.

#include <string_view>
#include <vector>

#include "sheet/layout.h"

namespace quenby::layout {

constexpr std::string_view kSong = "宋体";

// How a text field shows its text.
struct TextStyle {
  std::string_view fontFamily = {};  // empty: the window's default font
  double fontPoints = 0;
  Align align = Align::Left;
  bool red = false;
};

inline Control label(FieldId id, Rect rect, std::string_view caption, Align align = Align::Left) {
  return {.kind = Kind::Label, .id = id, .rect = rect, .caption = caption, .align = align};
}

inline Control text(FieldId id, Rect rect, const TextStyle& style = {}) {
  return {.kind = Kind::TextField,
          .id = id,
          .rect = rect,
          .fontFamily = style.fontFamily,
          .fontPoints = style.fontPoints,
          .red = style.red,
          .align = style.align};
}

inline Control combo(FieldId id, Rect rect, std::vector<std::string_view> items, bool editable = true,
                     Action action = Action::None) {
  return {.kind = Kind::ComboBox,
          .id = id,
          .rect = rect,
          .items = std::move(items),
          .editable = editable,
          .action = action};
}

inline Control button(FieldId id, Rect rect, std::string_view word, Face face, Action action) {
  return {
      .kind = Kind::PictureButton, .id = id, .rect = rect, .caption = word, .face = face, .action = action};
}

inline Control plainButton(FieldId id, Rect rect, std::string_view caption, Face face, Action action) {
  return {
      .kind = Kind::PlainButton, .id = id, .rect = rect, .caption = caption, .face = face, .action = action};
}

}  // namespace quenby::layout

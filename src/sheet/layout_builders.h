#pragma once
// Short constructors for the rows of a layout table, so that a window's table reads as a list of
// its controls, and the rules that name the controls for screen readers.

#include <string>
#include <string_view>
#include <utility>
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

// A caption as spoken: without the blanks that spread it over its box ("金   额" -> "金额").
inline std::string spoken(std::string_view caption) {
  std::string words;
  for (char ch : caption) {
    if (ch != ' ') words += ch;
  }
  return words;
}

// "第3行", "第1组".
inline std::string ordinal(int n, std::string_view unit) {
  return "第" + std::to_string(n) + std::string(unit);
}

inline Control named(std::string accessibleName, Control c) {
  c.accessibleName = std::move(accessibleName);
  return c;
}

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
  return {.kind = Kind::PictureButton,
          .id = id,
          .rect = rect,
          .caption = word,
          .face = face,
          .action = action,
          .accessibleName = spoken(word)};
}

inline Control plainButton(FieldId id, Rect rect, std::string_view caption, Face face, Action action) {
  Control c = button(id, rect, caption, face, action);
  c.kind = Kind::PlainButton;
  return c;
}

// A label and the field it captions, which is named after the caption.
inline void addCaptioned(std::vector<Control>& controls, Control caption, Control field) {
  field.accessibleName = spoken(caption.caption);
  controls.push_back(std::move(caption));
  controls.push_back(std::move(field));
}

// A bill party: the box in which the user picks the field's caption, and the field. Both are named
// after the box's first entry, which says the field's role ("购货单位栏", "购货单位栏的名称"),
// whichever caption the box shows.
inline void addParty(std::vector<Control>& controls, Control box, Control field) {
  field.accessibleName = std::string(box.items.front()) + "栏";
  box.accessibleName = field.accessibleName + "的名称";
  controls.push_back(std::move(box));
  controls.push_back(std::move(field));
}

}  // namespace quenby::layout

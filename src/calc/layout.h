#pragma once
// The layout of a sheet window as data: every control with its address, kind, position in twips,
// caption and look. Windows build their widgets from this table; nothing here depends on Qt.

#include <string_view>
#include <vector>

#include "calc/field.h"

namespace quenby::layout {

constexpr int kTwipsPerPixel = 15;

struct Rect {  // twips, inside the window's client area
  int left = 0, top = 0, width = 0, height = 0;
};

enum class Kind {
  TextField,      // bound to the sheet field of the same address
  ComboBox,       // drop-down list; its text is bound to the sheet field of the same address
  Label,          // transparent caption drawn on the background
  PictureButton,  // drawn face with a caption, pressed look; no text of its own
  PlainButton,    // ordinary push button with a caption
};

enum class Align { Left, Center, Right };

enum class Face {
  None,
  BlueWhite,   // white characters on a blue face
  LightDark,   // dark characters on a light face
};

struct Control {
  Kind kind = Kind::Label;
  FieldId id;
  Rect rect;
  std::string_view caption = {};  // UTF-8: label text or button face text
  std::vector<std::string_view> items = {};  // combo box list, in order
  std::string_view fontFamily = {};  // empty: the window's default font
  double fontPoints = 0;             // 0: the window's default size
  bool red = false;                  // text drawn in red
  Align align = Align::Left;
  Face face = Face::None;
  bool editable = true;  // combo boxes: the user may type a caption of their own
};

struct Window {
  int clientWidth = 0;  // twips
  int clientHeight = 0;
  std::string_view caption;
  std::vector<Control> controls;
  std::vector<FieldId> tabOrder;  // focus chain; controls not named follow in table order
  FieldId initialFocus;
};

}  // namespace quenby::layout

#pragma once
// The layout of a sheet window as data: every control with its address, kind, position in twips,
// caption, look, action and accessible name, the background picture, the focus order and the keys
// of the entry columns. Windows build their widgets from this table; nothing here depends on Qt.

#include <string>
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
  PictureButton,  // drawn face with a word on it, pressed look; no text of its own
  PlainButton,    // ordinary push button with a caption
};

enum class Align { Left, Center, Right };

// Button faces. The colours are part of the look the windows promise.
enum class Face {
  None,
  BlueWhite,  // white characters on a blue face
  LightDark,  // dark characters on a light face
  WhiteDark,  // dark characters on a white face
  SteelDark,  // dark characters on a steel-blue face, RGB (153, 170, 202)
  Grey,       // a plain button's face, RGB (192, 192, 192)
};

// What a button or choice box does. The window wires the standard roles itself.
enum class Action {
  None,
  Calculate,         // the sheet's calculate()
  Clear,             // the sheet's clear()
  Export,            // the sheet's export to the bill
  Minimise,          // the window's own
  Quit,              // end the application
  Back,              // back to the start-up window
  WebPage,           // open the product's web page for further calculators
  SwitchCalculator,  // a choice box naming the calculator to show
};

struct Control {
  Kind kind = Kind::Label;
  FieldId id;
  Rect rect;
  std::string_view caption = {};             // UTF-8: label text or button face text
  std::vector<std::string_view> items = {};  // combo box list, in order
  std::string_view fontFamily = {};          // empty: the window's default font
  double fontPoints = 0;                     // 0: the window's default size
  bool red = false;                          // text drawn in red, RGB (255, 0, 0)
  Align align = Align::Left;
  Face face = Face::None;
  bool editable = true;  // combo boxes: the user may type a caption of their own
  Action action = Action::None;
  // UTF-8: what a screen reader says for the control, its role ("第1组 第3行 件数"), never a
  // caption the user may change. Empty for labels, which say their caption.
  std::string accessibleName = {};
};

// The window's background picture: a title band with the product name across the top and a
// framed panel under the controls, with tabs rising from the panel behind some controls.
enum class PanelStyle {
  Framed,  // a warm light panel in a solid frame
  Dotted,  // a rounded light-grey panel in a dotted frame
};

struct Backdrop {
  std::string_view title;  // the product name on the band
  int width = 0;           // twips: the picture's size, from the top left corner
  int height = 0;
  int bandHeight = 0;
  Rect panel;
  std::vector<Rect> tabs = {};
  PanelStyle style = PanelStyle::Framed;
};

enum class SizePolicy {
  KeepFixed,  // the size is put back after any change while the window is not minimised
  SetOnce,    // the size is set once, when the window is created
};

enum class CloseAction {
  Quit,  // closing the window ends the application
  Back,  // closing the window goes back to the start-up window
};

struct Window {
  // The window's own name ("Form1"); the pictures the build draws for it are filed under it.
  std::string_view name;
  int clientWidth = 0;  // twips: the window's size
  int clientHeight = 0;
  std::string_view caption;
  std::vector<Control> controls;
  std::vector<FieldId> tabOrder;  // focus chain; controls not named follow in table order
  FieldId initialFocus;
  // Text field arrays whose elements select their whole text when entered and move the focus
  // with Down and Up to the next and previous element of the same array, wrapping around.
  std::vector<std::string_view> entryArrays;
  Backdrop backdrop;
  SizePolicy size = SizePolicy::KeepFixed;
  CloseAction onClose = CloseAction::Quit;
};

}  // namespace quenby::layout

#pragma once
// Form3: the sawn-timber window. It owns its SawnTimberSheet and is built from
// sawnTimberLayout(); typing goes into the sheet's fields, the sheet's clearing rules come back
// through the bindings, and the buttons call the sheet, its export, or go back to Form1.
// Everything else (selection and Up/Down in the entry columns, the size set once, dragging,
// closing as going back) is the sheet window's.

#include "sawn/sawn_timber_sheet.h"
#include "shell/sheet_window.h"

namespace quenby {

class Form3 : public shell::SheetWindow {
  Q_OBJECT

 public:
  explicit Form3(ExportServices services = {}, QWidget* parent = nullptr);

  SawnTimberSheet& sheet() { return sheet_; }

 private:
  SawnTimberSheet sheet_;
};

}  // namespace quenby

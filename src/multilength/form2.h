#pragma once
// Form2: the multi-length window. It owns its MultiLengthSheet and is built from
// multiLengthLayout(); typing goes into the sheet's fields, the sheet's clearing rules come back
// through the bindings, and the buttons call the sheet, its export, or ask the application to go
// back to the log tally window or to quit. Selection and Up/Down in the entry columns, size and
// dragging are the sheet window's.

#include "multilength/multi_length_sheet.h"
#include "shell/sheet_window.h"

namespace quenby {

class Form2 : public shell::SheetWindow {
  Q_OBJECT

 public:
  explicit Form2(ExportServices services = {}, QWidget* parent = nullptr);

  MultiLengthSheet& sheet() { return sheet_; }

 private:
  MultiLengthSheet sheet_;
};

}  // namespace quenby

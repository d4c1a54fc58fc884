#pragma once
// Form1: the log tally window and the application's start-up window. It owns its LogTallySheet
// and is built from logTallyLayout(); typing goes into the sheet's fields, the sheet's clearing
// rules come back through the bindings, and the buttons call the sheet or its export. Everything
// else (selection and Up/Down along a row, size, dragging, the selector) is the sheet window's.
// The selector lists the calculators the application hands it.

#include <QStringList>

#include "logtally/log_tally_sheet.h"
#include "shell/sheet_window.h"

namespace quenby {

class Form1 : public shell::SheetWindow {
  Q_OBJECT

 public:
  explicit Form1(ExportServices services = {}, const QStringList& calculators = {},
                 QWidget* parent = nullptr);

  LogTallySheet& sheet() { return sheet_; }

 private:
  LogTallySheet sheet_;
};

}  // namespace quenby

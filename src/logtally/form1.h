#pragma once
// Form1: the log tally window and the application's start-up window. It owns its LogTallySheet and
// is built from logTallyLayout(); typing goes into the sheet's fields, the sheet's change rules
// come back through the bindings, and the buttons call the sheet. The window itself adds only the
// grid cells' whole-text selection on entry and the Up/Down moves along a row.

#include <QHash>

#include "logtally/log_tally_sheet.h"
#include "shell/bill_export.h"
#include "shell/sheet_window.h"

class QLineEdit;

namespace quenby {

class Form1 : public shell::SheetWindow {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);

  LogTallySheet& sheet() { return sheet_; }
  // What Command3 exports through: the desktop's office, viewer and bill path unless replaced.
  void setExportServices(ExportServices services) { exportServices_ = std::move(services); }

 signals:
  // Combo3 was clicked with this entry showing; whoever holds the three windows switches them.
  void calculatorChosen(const QString& entry);

 protected:
  // Command1: open the web page of further calculators. Not wired to a browser yet.
  virtual void openMoreCalculators() {}

  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  struct CellAddress {
    int row;    // 1 … 14: array Text<row>
    int index;  // 0 … 11
  };
  void moveAlongRow(const CellAddress& from, int step);

  LogTallySheet sheet_;
  ExportServices exportServices_ = ExportServices::desktop();
  QHash<const QObject*, CellAddress> cells_;
  QLineEdit* selectAfterPress_ = nullptr;  // a cell the mouse just focused
};

}  // namespace quenby

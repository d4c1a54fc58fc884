#pragma once
// The desktop side of an export: where the bill workbook lives, how the saved bill is shown, the
// reminder box, and running one click's export from a sheet window on a private office.

#include <QWidget>
#include <string>

#include "export/export_procedure.h"

namespace quenby {

// On Windows d:\账单明细.xls; elsewhere 账单明细.xls in the user's documents folder.
std::string billWorkbookPath();

// Opens the saved workbook with the desktop's default application for it.
class DesktopBillViewer final : public BillViewer {
 public:
  void show(const std::string& pathUtf8, const std::u16string& sheetName) override;
};

// The modal reminder: text, OK only, no icon, caption "Quenby".
class MessageBoxPrompter final : public Prompter {
 public:
  explicit MessageBoxPrompter(QWidget* window) : window_(window) {}
  void remind(const std::u16string& text) override;

 private:
  QWidget* window_;
};

// One click's export from `window`: busy cursor, the window's input blocked until it returns,
// a private LibreOffice instance. Errors reach the caller (the window's error guard).
void exportFromWindow(QWidget* window, const ExportJob& job, ExportCounter& exportCount);

}  // namespace quenby

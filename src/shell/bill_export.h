#pragma once
// The desktop side of an export: where the bill workbook lives, how the saved bill is shown, the
// reminder box, and running one click's export from a sheet window on a private office.

#include <QWidget>
#include <functional>
#include <memory>
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

// What an export talks to. Windows take the desktop's; tests put in their own.
struct ExportServices {
  std::string workbookPath;
  std::function<std::unique_ptr<SpreadsheetHost>()> newHost;
  std::function<std::unique_ptr<BillViewer>()> newViewer;

  // The bill in the documents folder, a private LibreOffice, the desktop's default application.
  static ExportServices desktop();
};

// One click's export from `window`: busy cursor, the window's input blocked until it returns.
// Errors reach the caller (the window's error guard).
void exportFromWindow(QWidget* window, const ExportJob& job, ExportCounter& exportCount,
                      const ExportServices& services);

}  // namespace quenby

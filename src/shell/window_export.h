#pragma once
// A sheet window's side of an export: the reminder box, the busy cursor, the window's input held
// back while the export blocks it, and the services the application hands each window.

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "export/export_procedure.h"

namespace quenby {

// What an export talks to: the bill's path, a fresh spreadsheet host per click, and the viewer
// that shows the saved bill. The application hands the desktop's to each window; tests their own.
struct ExportServices {
  std::string workbookPath;
  std::function<std::unique_ptr<SpreadsheetHost>()> newHost;
  std::function<std::unique_ptr<BillViewer>()> newViewer;
  // Runs at the click, on the window's thread, before the reminder and the export: the
  // application keeps the sheets there first. May be empty.
  std::function<void()> beforeExport = {};
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
// including what queued up meanwhile. Errors reach the caller (the window's error guard).
void exportFromWindow(QWidget* window, const ExportJob& job, ExportCounter& exportCount,
                      const ExportServices& services);

}  // namespace quenby

#pragma once
// A sheet window's side of an export: the reminder box, the busy cursor, the office's work on a
// thread of its own while the event loop goes on, the progress window with its 取消 for a long
// export, the program's input held back until the click is over, the offer to create a missing
// bill from its template, and the services the application hands each window.

#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "export/export_procedure.h"

namespace quenby {

// What an export talks to: the bill's path, a fresh spreadsheet host per click, the viewer that
// shows the saved bill, and where a missing bill may be copied from. The application hands the
// desktop's to each window; tests their own.
struct ExportServices {
  std::string workbookPath;
  std::function<std::unique_ptr<SpreadsheetHost>()> newHost;
  std::function<std::unique_ptr<BillViewer>()> newViewer;
  // The bill template's path (UTF-8), "" when there is none. Unset: no template.
  std::function<std::string()> billTemplate = {};
  // Runs at the click, on the window's thread, before the reminder and the export: the
  // application hands the sheets to its store there first. May be empty.
  std::function<void()> beforeExport = {};
  // Runs on the export's own thread before the office is asked for: the application waits there
  // for what beforeExport handed over to be written, so that the window's thread never does.
  // May be empty.
  std::function<void()> beforeOffice = {};
  // The folder every bill's PDF is kept in, one folder a month inside (UTF-8); "" : no PDFs.
  std::string pdfFolder = {};
  // Where the sheet of this click is kept as a PDF once the bill is saved, asked at the click after
  // beforeExport. Unset, or nothing: no PDF.
  std::function<std::optional<PdfRequest>()> pdfRequest = {};
  // Runs on the window's thread once the bill is saved, before it is shown, once per click (a
  // silent restart that saves it again adds nothing), with the bill's PDF or why there is none:
  // the application records the sheet as it stood at the click (at beforeExport). A bill that
  // cannot be shown stays recorded. An error it raises is shown after the export's own boxes, the
  // bill being saved already, and so is a PDF that could not be written. May be empty.
  std::function<void(const KeptPdf&)> afterSave = {};
  // Runs on the window's thread once the click is over, after every box it showed; an error it
  // raises is shown like any other. May be empty.
  std::function<void()> afterClick = {};
  // How long an export runs before its progress window appears.
  std::chrono::milliseconds progressDelay{1000};
};

// The modal reminder: text, OK only, no icon, caption "Quenby".
class MessageBoxPrompter final : public Prompter {
 public:
  explicit MessageBoxPrompter(QWidget* window) : window_(window) {}
  void remind(const std::u16string& text) override;

 private:
  QWidget* window_;
};

// A click of a window's export button: the export inside the window's error guard and, when it
// failed for want of the bill, the offer and one export more, each inside the guard too. Until
// all that is over no window of the program takes input, except the boxes and 取消.
void exportOnClick(QWidget* window, const ExportJob& job, ExportCounter& exportCount,
                   const ExportServices& services) noexcept;

}  // namespace quenby

#pragma once
// The export procedure shared by the three sheet windows: count the attempt, remind once, write
// the cell map into the named worksheet, save, end the instance, show the bill; restart once
// where the window's policy says so.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "export/bill_pdf.h"
#include "export/export_progress.h"
#include "export/spreadsheet_host.h"
#include "sheet/cell_map.h"
#include "sheet/sheet.h"

namespace quenby {

// Each window's 16-bit signed count of export attempts; it stops at 32767.
class ExportCounter {
 public:
  // Adds one attempt; true when this attempt is the first of the run (the reminder's moment).
  bool countAttempt() noexcept;
  std::int16_t value() const noexcept { return value_; }

 private:
  std::int16_t value_ = 0;
};

enum class RestartPolicy { None, OnceSilently };

struct ExportJob {
  std::string workbookPath;  // UTF-8
  std::u16string sheetName;
  std::vector<CellSource> cells;
  RestartPolicy restart = RestartPolicy::None;
  // Where the worksheet is kept as a PDF once the bill is saved; nothing: no PDF.
  std::optional<PdfRequest> pdf = {};
};

// What one sheet window's export writes: the worksheet, the cell map in writing order, and
// whether a failed attempt is silently started over once.
struct SheetExport {
  std::u16string worksheet;
  std::vector<CellMapEntry> cells;
  RestartPolicy restart = RestartPolicy::None;
};

// The job of one click: `spec` on the fields of `sheet`, into the bill at `workbookPath`.
ExportJob exportJob(const SheetExport& spec, const Sheet& sheet, const std::string& workbookPath);

extern const char16_t kExportReminder[];  // "每次打印前请先关闭*账单明细*"

// Runs the office's part of an attempt (from starting the instance to releasing it) and returns
// once that part has ended, raising what it raised. The windows run it on a thread of their own
// and keep their event loop going meanwhile.
using OfficeRunner = std::function<void(const std::function<void()>& officePart)>;

// What one click's export talks to besides its job and its count. The count, the reminder and
// showing the bill stay on the calling thread; only the host's calls go to the runner.
struct ExportParties {
  SpreadsheetHost& host;
  BillViewer& viewer;
  Prompter& prompter;
  ExportProgress* progress = nullptr;  // where the export reports its steps and meets a cancel
  OfficeRunner runOffice = {};         // unset: on the calling thread
  // On the calling thread once the bill is saved, before it is shown, with its PDF or why there is
  // none; once per click, also when a restart saves the bill again. It raises nothing. May be
  // empty.
  std::function<void(const KeptPdf&)> saved = {};
};

// Runs one click's export. Raises the error of the last failed attempt; a PDF that could not be
// written fails nothing, it is handed to `saved`. A field longer than a cell
// holds (TextTooLong) is refused before the attempt is counted; an export abandoned because
// Quenby ends (ExportAbandoned) is not restarted, nor is one the user cancelled, which ends with
// ExportCancelled whatever its broken call raised.
void runExport(const ExportJob& job, ExportCounter& exportCount, const ExportParties& parties);
void runExport(const ExportJob& job, ExportCounter& exportCount, SpreadsheetHost& host, BillViewer& viewer,
               Prompter& prompter);

}  // namespace quenby

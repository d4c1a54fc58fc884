#include "export/export_procedure.h"

#include <limits>

#include "calc/error.h"

namespace quenby {

const char16_t kExportReminder[] = u"每次打印前请先关闭*账单明细*";

bool ExportCounter::countAttempt() noexcept {
  if (value_ < std::numeric_limits<std::int16_t>::max()) ++value_;
  return value_ == 1;
}

ExportJob exportJob(const SheetExport& spec, const Sheet& sheet, const std::string& workbookPath) {
  return ExportJob{workbookPath, spec.worksheet, resolveCellMap(sheet, spec.cells), spec.restart};
}

namespace {

void attempt(const ExportJob& job, ExportCounter& exportCount, SpreadsheetHost& host, BillViewer& viewer,
             Prompter& prompter) {
  if (exportCount.countAttempt()) prompter.remind(kExportReminder);
  host.newInstance();
  host.openWorkbook(job.workbookPath);
  host.selectWorksheet(job.sheetName);
  // Nothing is saved before the last cell is written, so a failure leaves the file as it was.
  for (const CellSource& c : job.cells) host.setCellText(c.row, c.column, c.field->text());
  host.save();
  host.closeAllWorkbooks();
  host.quit();
  host.release();
  viewer.show(job.workbookPath, job.sheetName);
}

}  // namespace

void runExport(const ExportJob& job, ExportCounter& exportCount, SpreadsheetHost& host, BillViewer& viewer,
               Prompter& prompter) {
  const int attempts = job.restart == RestartPolicy::OnceSilently ? 2 : 1;
  for (int i = 1;; ++i) {
    try {
      attempt(job, exportCount, host, viewer, prompter);
      return;
    } catch (const QuenbyError&) {
      // An abandoned attempt is neither saved nor closed; its instance is ended all the same.
      host.release();
      if (i == attempts) throw;
    }
  }
}

}  // namespace quenby

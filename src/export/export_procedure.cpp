#include "export/export_procedure.h"

#include <limits>

#include "calc/error.h"
#include "export/export_error.h"

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

// Refused before anything starts: a restart would only meet the same text again.
void checkTextsFit(const ExportJob& job) {
  for (const CellSource& c : job.cells) {
    const std::size_t length = c.field->text().size();
    if (length > kMaxCellTextLength)
      throw QuenbyError(ExportError::TextTooLong,
                        "字段 " + toString(c.id) + " 有 " + std::to_string(length) +
                            " 个字符，账单的一个单元格最多只能存放 " + std::to_string(kMaxCellTextLength) +
                            " 个字符。导出没有进行，账单没有改动；请缩短该字段的内容，再重新导出");
  }
}

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
  checkTextsFit(job);
  const int attempts = job.restart == RestartPolicy::OnceSilently ? 2 : 1;
  for (int i = 1;; ++i) {
    try {
      attempt(job, exportCount, host, viewer, prompter);
      return;
    } catch (const QuenbyError& e) {
      // An abandoned attempt is neither saved nor closed; its instance is ended all the same.
      host.release();
      // While Quenby ends, no new office is started.
      if (i == attempts || e.is(ExportError::ExportAbandoned)) throw;
    }
  }
}

}  // namespace quenby

#include "export/export_procedure.h"

#include <limits>

#include "calc/error.h"
#include "export/export_error.h"

namespace quenby {

const char16_t kExportReminder[] = u"每次打印前请先关闭*账单明细*";

void SpreadsheetHost::exportSheetPdf(const std::string& /*pathUtf8*/) {
  throw QuenbyError(ExportError::SpreadsheetFailed, "这个电子表格程序不能生成 PDF");
}

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
    const std::size_t length = c.text.size();
    if (length > kMaxCellTextLength)
      throw QuenbyError(ExportError::TextTooLong,
                        "字段 " + toString(c.id) + " 有 " + std::to_string(length) +
                            " 个字符，账单的一个单元格最多只能存放 " + std::to_string(kMaxCellTextLength) +
                            " 个字符。导出没有进行，账单没有改动；请缩短该字段的内容，再重新导出");
  }
}

using Step = ExportProgress::Step;

// The saved bill's sheet as a PDF, by the office that saved it. What fails is handed on.
KeptPdf keepSheetPdf(const PdfRequest& request, SpreadsheetHost& host) {
  KeptPdf kept;
  try {
    kept.path = keepPdf(request, [&](const std::string& file) { host.exportSheetPdf(file); });
  } catch (const QuenbyError& e) {
    if (e.is(ExportError::ExportAbandoned)) throw;
    kept.failure = e;
  }
  return kept;
}

// From starting the instance to releasing it. A failed part releases its instance before it
// returns, on the thread that drove it.
KeptPdf officePart(const ExportJob& job, SpreadsheetHost& host, ExportProgress& progress) {
  KeptPdf pdf;
  try {
    progress.enter(Step::Starting);
    host.newInstance();
    progress.enter(Step::Opening);
    host.openWorkbook(job.workbookPath);
    host.selectWorksheet(job.sheetName);
    progress.enter(Step::Writing);
    // Nothing is saved before the last cell is written, so a failure leaves the file as it was.
    for (const CellSource& c : job.cells) {
      host.setCellText(c.row, c.column, c.text);
      progress.cellWritten();
    }
    progress.enter(Step::Saving);
    host.save();
    if (job.pdf) {
      progress.enter(Step::Pdf);
      pdf = keepSheetPdf(*job.pdf, host);
    }
    try {
      host.closeAllWorkbooks();
      host.quit();
    } catch (const QuenbyError& e) {
      // The bill is saved: an office that a failed PDF left unable to close is ended below.
      if (!pdf.failure || e.is(ExportError::ExportAbandoned)) throw;
    }
    host.release();
  } catch (...) {
    host.release();
    throw;
  }
  return pdf;
}

// The `saved` hook of one click: run at its first save only.
struct SavedOnce {
  const std::function<void(const KeptPdf&)>& hook;
  bool ran = false;

  void operator()(const KeptPdf& pdf) {
    if (ran || !hook) return;
    ran = true;
    hook(pdf);
  }
};

void attempt(const ExportJob& job, ExportCounter& exportCount, const ExportParties& parties,
             ExportProgress& progress, SavedOnce& saved) {
  if (exportCount.countAttempt()) parties.prompter.remind(kExportReminder);
  KeptPdf pdf;
  auto part = [&] {
    parties.viewer.beginPrepare(job.workbookPath);
    struct EndPrepare {
      BillViewer& viewer;
      ~EndPrepare() { viewer.endPrepare(); }
    } endPrepare{parties.viewer};
    pdf = officePart(job, parties.host, progress);
  };
  if (parties.runOffice) {
    parties.runOffice(part);
  } else {
    part();
  }
  saved(pdf);
  progress.enter(Step::Showing);
  parties.viewer.show(job.workbookPath, job.sheetName);
}

}  // namespace

void runExport(const ExportJob& job, ExportCounter& exportCount, const ExportParties& parties) {
  checkTextsFit(job);
  ExportProgress own(static_cast<int>(job.cells.size()));
  ExportProgress& progress = parties.progress ? *parties.progress : own;
  SavedOnce saved{parties.saved};
  const int attempts = job.restart == RestartPolicy::OnceSilently ? 2 : 1;
  for (int i = 1;; ++i) {
    try {
      attempt(job, exportCount, parties, progress, saved);
      return;
    } catch (const QuenbyError& e) {
      // An abandoned attempt is neither saved nor closed; its instance is ended all the same.
      parties.host.release();
      // What a cancel broke off is the user's choice, not a fault.
      if (progress.cancelled()) throw exportCancelled();
      // While Quenby ends, no new office is started.
      if (i == attempts || e.is(ExportError::ExportAbandoned)) throw;
    }
  }
}

void runExport(const ExportJob& job, ExportCounter& exportCount, SpreadsheetHost& host, BillViewer& viewer,
               Prompter& prompter) {
  runExport(job, exportCount, ExportParties{host, viewer, prompter});
}

}  // namespace quenby

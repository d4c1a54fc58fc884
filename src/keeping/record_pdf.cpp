#include "keeping/record_pdf.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "export/export_error.h"
#include "export/export_procedure.h"
#include "sheet/calculator_spec.h"
#include "shell/off_ui_thread.h"
#include "store/snapshot.h"
#include "store/store_error.h"
#include "windows/bill_pdf_name.h"

namespace quenby::app {

namespace {

const CalculatorSpec* calculatorOf(const std::string& key) {
  for (const CalculatorSpec* c : calculatorList())
    if (c->storeKey == key) return c;
  return nullptr;
}

// Neither a reminder nor a bill shown: the scratch copy is nobody's bill.
struct Unseen final : BillViewer, Prompter {
  void show(const std::string&, const std::u16string&) override {}
  void remind(const std::u16string&) override {}
};

}  // namespace

std::string makeRecordPdf(const store::LedgerRecord& record, const ExportServices& services) {
  if (services.pdfFolder.empty())
    throw QuenbyError(ExportError::PdfNotWritten,
                      "生成 PDF 已在设置中关闭（~/.config/Quenby/Quenby.conf 中 [bill] 的 pdf=false）");
  const CalculatorSpec* spec = calculatorOf(record.sheet.key);
  if (!spec)
    throw QuenbyError(store::StoreError::LedgerUnreadable,
                      "这条记录属于本版本没有的计算器，无法生成它的 PDF");
  const QString bill = QString::fromStdString(services.workbookPath);
  const QString source = QFileInfo(bill).isFile() ? bill
                         : services.billTemplate  ? QString::fromStdString(services.billTemplate())
                                                  : QString();
  if (source.isEmpty())
    throw QuenbyError(ExportError::WorkbookMissing,
                      "找不到账单工作簿：" + services.workbookPath + "。请确认该文件存在");
  // 0700, ours alone, removed with everything in it.
  QTemporaryDir scratch(QDir(QDir::tempPath()).filePath(QStringLiteral("quenby-pdf-XXXXXX")));
  const QString copy = scratch.filePath(QFileInfo(bill).fileName());
  if (!scratch.isValid() || !QFile::copy(source, copy))
    throw QuenbyError(ExportError::PdfNotWritten,
                      "无法复制账单工作簿 " + source.toStdString() + " 来生成 PDF");
  QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

  const std::unique_ptr<Sheet> sheet = spec->makeSheet();
  store::restore(record.sheet, *sheet);
  ExportJob job = exportJob(spec->exportMap(), *sheet, copy.toStdString());
  job.pdf =
      billPdfRequest(QString::fromStdString(services.pdfFolder), QDateTime::fromMSecsSinceEpoch(record.atMs),
                     record.sheet, record.state != store::RecordState::Exported);
  const std::unique_ptr<SpreadsheetHost> host = services.newHost();
  if (!host) throw QuenbyError(ErrorCode::Unexpected, "没有可用的电子表格程序");
  Unseen unseen;
  ExportCounter count;
  KeptPdf kept;
  ExportParties parties{*host, unseen, unseen};
  parties.runOffice = [](const std::function<void()>& officePart) { runOffUiThread(officePart); };
  parties.saved = [&](const KeptPdf& pdf) { kept = pdf; };
  runExport(job, count, parties);
  if (kept.failure) throw *kept.failure;
  return kept.path;
}

}  // namespace quenby::app

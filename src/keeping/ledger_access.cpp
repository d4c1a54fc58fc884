#include "keeping/ledger_access.h"

#include <QApplication>
#include <QDir>
#include <QShortcut>

#include "keeping/record_pdf.h"
#include "keeping/sheet_recorder.h"
#include "keeping/test_log.h"
#include "ledger/ledger_model.h"
#include "shell/error_guard.h"
#include "shell/question.h"
#include "store/store_error.h"

namespace quenby::app {

LedgerAccess::LedgerAccess(Calculators& calculators, SheetRecorder& records, QString storePath,
                           ledger::LedgerWindow::Today today)
    : calculators_(calculators),
      records_(records),
      storePath_(std::move(storePath)),
      today_(std::move(today)),
      testLog_(TestLog::fromEnvironment()) {
  for (Calculators::Calculator which : Calculators::all())
    if (shell::SheetWindow* window = calculators_.window(which)) addShortcut(window);
  connect(&calculators_, &Calculators::windowCreated, this, &LedgerAccess::addShortcut);
  records_.onRecorded([this] {
    if (!window_) return;
    window_->setNotice(records_.unrecordedNotice());
    if (window_->isVisible()) window_->refresh();
  });
}

LedgerAccess::~LedgerAccess() = default;

void LedgerAccess::followYard(yard::SyncNotifier* sync) {
  yard_ = sync;
  if (!sync) return;
  connect(sync, &yard::SyncNotifier::statusChanged, this, [this](const QString& line) {
    if (window_) window_->setSyncStatus(line);
  });
  connect(sync, &yard::SyncNotifier::recordsFetched, this, [this] {
    if (window_ && window_->isVisible()) window_->refresh();
  });
}

void LedgerAccess::addShortcut(shell::SheetWindow* window) {
  auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), window);
  connect(shortcut, &QShortcut::activated, this, &LedgerAccess::open);
}

void LedgerAccess::open() {
  if (!window_) {
    window_ = std::make_unique<ledger::LedgerWindow>(storePath_, today_);
    connect(window_.get(), &ledger::LedgerWindow::reopenRequested, this,
            [this](qint64 id) { shell::guarded(window_.get(), [&] { reopen(id); }); });
    connect(window_.get(), &ledger::LedgerWindow::closed, this, &LedgerAccess::closed);
    connect(window_.get(), &ledger::LedgerWindow::pdfRequested, this,
            [this](qint64 id) { shell::guarded(window_.get(), [&] { makePdf(id); }); });
    if (testLog_)
      connect(&window_->model(), &ledger::LedgerModel::listRead, this,
              [this] { testLog_->listed(*window_); });
  }
  window_->setNotice(records_.unrecordedNotice());
  if (yard_) window_->setSyncStatus(yard_->statusLine());
  window_->present();
}

void LedgerAccess::reopen(qint64 recordId) {
  if (!window_) return;
  const store::LedgerRecord record = window_->ledger().record(recordId);
  const std::optional<Calculators::Calculator> which = Calculators::byStoreKey(record.sheet.key);
  shell::SheetWindow* target = which ? calculators_.create(*which) : nullptr;
  if (!target || !target->attachedSheet())
    throw store::storeError(store::StoreError::LedgerUnreadable, QDir::toNativeSeparators(storePath_),
                            QStringLiteral("这条记录属于本版本没有的计算器"));
  // A sheet that holds that record already loses nothing: no question, and no draft of it.
  if (calculators_.holdsTypedText(*which) &&
      calculators_.content(*which) != reopenedContent(*which, record) && !replaceAllowed(*which))
    return;
  // Every text first, with no rule run, then the widgets: the sheet shows the record as it was.
  store::restore(calculators_.freshContent(*which), *target->attachedSheet());
  store::restore(record.sheet, *target->attachedSheet());
  target->refreshFromSheet();
  records_.reopened(*which);
  calculators_.showOnly(*which);
  target->raise();  // in front of the ledger, ready for typing
  target->activateWindow();
  if (testLog_) testLog_->reopened(calculators_, Calculators::storeKey(*which));
}

void LedgerAccess::makePdf(qint64 recordId) {
  if (!window_) return;
  const store::LedgerRecord record = window_->ledger().record(recordId);
  // The office works while the event loop goes on: nothing in the ledger is clicked meanwhile.
  window_->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  struct Restore {
    QWidget* window;
    ~Restore() {
      QApplication::restoreOverrideCursor();
      window->setEnabled(true);
    }
  } restore{window_.get()};
  const std::string path = makeRecordPdf(record, calculators_.services());
  store::Ledger(storePath_).keepPdfPath(recordId, QString::fromStdString(path));
  window_->refresh();
}

store::SheetState LedgerAccess::reopenedContent(Calculators::Calculator which,
                                                const store::LedgerRecord& record) const {
  // What the restores below leave: the fresh sheet's fields, each the record's text where it has one.
  store::SheetState content = calculators_.freshContent(which);
  for (const store::FieldText& kept : record.sheet.fields)
    for (store::FieldText& field : content.fields)
      if (field.name == kept.name && field.index == kept.index) field.text = kept.text;
  return content;
}

bool LedgerAccess::replaceAllowed(Calculators::Calculator which) {
  const QString question = QStringLiteral(
                               "“%1”中已有输入的内容。要用这条账单记录替换它吗？\n"
                               "替换前，现有的内容会作为未导出的记录保存在账单记录中。")
                               .arg(Calculators::name(which));
  if (shell::ask(window_.get(), question, QStringLiteral("替换"), QStringLiteral("取消"),
                 shell::Answer::Act) != shell::Answer::Act)
    return false;
  // Nothing is replaced unless it is in the ledger first: a draft that fails stops here.
  if (records_.unrecorded(which)) records_.recordDraft(which);
  return true;
}

void LedgerAccess::closed() {
  // The ledger alone (quenby --ledger, or every sheet window hidden): closing it ends the program.
  if (!calculators_.shown()) emit calculators_.quitRequested();
}

}  // namespace quenby::app

#pragma once
// LedgerAccess: the application's one ledger window (账单记录) and what it does to the sheets.
// Ctrl+L on any sheet window opens it, or brings it to the front; it never blocks the sheets.
// Reopening a record puts its texts back into its sheet's window exactly as recorded (no rule
// runs; the calculator selector stays as it is) and shows that window, created if need be; when
// the sheet holds typed text the user is asked first (替换, the default, or 取消), and what is
// replaced is recorded as a draft unless the ledger has it already. A sheet that holds exactly the
// record's texts is not asked about and makes no draft. Exports of this run that could not be
// recorded are counted in a line under the list. Closing the ledger while no sheet window is shown
// is the user's exit. 生成 PDF makes the PDF of a record that has none. With the yard's shared
// ledger, the window's status line follows the sync, and records fetched from other offices
// show at once in an open ledger.

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

#include "ledger/ledger_window.h"
#include "windows/calculators.h"
#include "yard/sync_notifier.h"

namespace quenby::app {

class SheetRecorder;
class TestLog;

class LedgerAccess : public QObject {
  Q_OBJECT

 public:
  // The ledger of the store at `storePath`. `calculators` and `records` outlive this object.
  LedgerAccess(Calculators& calculators, SheetRecorder& records, QString storePath,
               ledger::LedgerWindow::Today today = &QDate::currentDate);
  ~LedgerAccess() override;

  // Shows the ledger window in front, read anew, the list holding the focus; makes it the first
  // time.
  void open();
  // The ledger window, nullptr until it was first opened.
  ledger::LedgerWindow* window() const { return window_.get(); }

  // Shows `sync`'s status line under the list and reads the list anew when it fetched records.
  void followYard(yard::SyncNotifier* sync);

  // Puts record `recordId` back into its sheet (see above); raises QuenbyError.
  void reopen(qint64 recordId);
  // Makes the PDF of record `recordId` from a scratch copy of the bill (record_pdf.h), notes its
  // path in the ledger and shows the list anew; raises QuenbyError.
  void makePdf(qint64 recordId);

 private:
  void addShortcut(shell::SheetWindow* window);
  bool replaceAllowed(Calculators::Calculator which);
  // The sheet's content once `record` is put back into it.
  store::SheetState reopenedContent(Calculators::Calculator which, const store::LedgerRecord& record) const;
  void closed();

  Calculators& calculators_;
  SheetRecorder& records_;
  QString storePath_;
  ledger::LedgerWindow::Today today_;
  std::unique_ptr<ledger::LedgerWindow> window_;
  std::unique_ptr<TestLog> testLog_;
  QPointer<yard::SyncNotifier> yard_;
};

}  // namespace quenby::app

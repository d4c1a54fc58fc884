// Quenby starts with the log tally window, or with the ledger alone (--ledger); the other
// calculators come when the selector names them. The command line is read first: --help and
// --version need no display.

#include <QApplication>
#include <memory>
#include <optional>

#include "app/autosave.h"
#include "app/calculators.h"
#include "app/command_line.h"
#include "app/desktop_services.h"
#include "app/ledger_access.h"
#include "app/office_warm_up.h"
#include "app/setup.h"
#include "app/sheet_records.h"
#include "office/office_reserve.h"
#include "office/termination.h"

int main(int argc, char* argv[]) {
  const quenby::app::CommandLine commandLine = quenby::app::readCommandLine(argc, argv);
  if (commandLine.exitStatus) return *commandLine.exitStatus;
  QApplication app(argc, argv);
  quenby::app::prepareApplication();
  // The user's store: this run's sheets are kept there, and those of a run that ended otherwise
  // than by the user's own exit come back. Ends before the application does.
  quenby::app::Autosave autosave;
  // SIGTERM, SIGINT and SIGHUP end an export in progress and its office first, then the program.
  quenby::installTerminationHandling([] {
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
  });
  // Ended after the windows: the reserve ends its office and its thread when the last of them goes.
  const std::shared_ptr<quenby::OfficeReserve> reserve = quenby::app::officeReserve();
  std::optional<quenby::app::OfficeWarmUp> warmUp;
  if (reserve) warmUp.emplace(*reserve);
  quenby::app::Calculators calculators(
      autosave.withSaveBeforeExport(quenby::app::desktopExportServices(reserve)), quenby::app::openWebPage);
  // The ledger: every export recorded, the sheets' drafts kept at the user's exit, Ctrl+L.
  quenby::app::SheetRecords records(autosave.store(), calculators);
  autosave.setDraftsAtExit([&records] { return records.draftsAtExit(); });
  quenby::app::LedgerAccess ledger(calculators, records, autosave.store().path());
  autosave.keep(calculators);
  if (commandLine.ledger) ledger.open();
  return quenby::app::run(calculators, !commandLine.ledger);
}

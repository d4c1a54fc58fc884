#include "app/program.h"

#include <QCoreApplication>

#include "app/desktop_services.h"
#include "app/setup.h"
#include "office/termination.h"
#include "store/office.h"

namespace quenby::app {

namespace {

yard::YardSettings learnYardSettings() {
  yard::YardSettings settings = yard::readYardSettings();
  store::setThisOffice(settings.office);
  return settings;
}

}  // namespace

Program::Program(const CommandLine& commandLine)
    : ledgerAlone_(commandLine.ledger),
      yardSettings_(learnYardSettings()),
      offices_(desktopOffices(officeSettings())),
      warmUp_(*offices_),
      calculators_(autosave_.withSaveBeforeExport(desktopExportServices(offices_)), openWebPage),
      records_(autosave_.store(), calculators_),
      ledger_(calculators_, records_, autosave_.store().path()) {
  // SIGTERM, SIGINT and SIGHUP end an export in progress and its office first, then the event
  // loop: the autosave saves the sheets as the program ends.
  installTerminationHandling([] {
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
  });
  autosave_.setDraftsAtExit([this] { return records_.draftsAtExit(); });
  autosave_.setDraftsOfStranded(&SheetRecorder::draftsOfStranded);
  autosave_.keep(calculators_);
  // A store that cannot be written (or a newer Quenby's) has nothing to send and nowhere to fetch to.
  if (!yardSettings_.server.isEmpty() && autosave_.store().isOpen()) {
    yard_ = std::make_unique<yard::SyncNotifier>(yardSettings_.server, autosave_.store().path(),
                                                 store::thisOffice());
    autosave_.store().setRecordsWritten([yard = yard_.get()] { yard->wake(); });
    ledger_.followYard(yard_.get());
  }
  if (ledgerAlone_) ledger_.open();
}

Program::~Program() {
  // The store outlives the sync: it must not wake a sync that is gone.
  autosave_.store().setRecordsWritten({});
}

int Program::run() { return app::run(calculators_, !ledgerAlone_); }

}  // namespace quenby::app

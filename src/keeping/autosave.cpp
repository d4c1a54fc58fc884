#include "keeping/autosave.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QSessionManager>

#include "keeping/test_log.h"
#include "office/termination.h"
#include "shell/error_guard.h"
#include "shell/sheet_window.h"
#include "windows/calculators.h"

namespace quenby::app {

namespace {

const char kRecovered[] = "已恢复上次未正常退出时的数据";

}  // namespace

Autosave::Autosave(const QString& path, std::chrono::milliseconds delay) {
  QElapsedTimer opening;
  opening.start();
  store_ = std::make_unique<store::Store>(path);
  storeUs_ = opening.nsecsElapsed() / 1000;
  testLog_ = TestLog::fromEnvironment();
  timer_.setSingleShot(true);
  timer_.setInterval(delay);
  connect(&timer_, &QTimer::timeout, this, &Autosave::saveSoon);
}

Autosave::~Autosave() = default;

ExportServices Autosave::withSaveBeforeExport(ExportServices services) {
  // The sheets are handed to the store at the click; the export's own thread waits for them to
  // be written before the office is asked for.
  services.beforeExport = [self = QPointer<Autosave>(this)] {
    if (self) self->save(false);
  };
  services.beforeOffice = [store = store_.get()] { store->flush(); };
  return services;
}

bool Autosave::keep(Calculators& calculators) {
  calculators_ = &calculators;
  QElapsedTimer recovering;
  recovering.start();
  const bool recovered = recover();
  keepStranded();
  const qint64 recoverUs = recovering.nsecsElapsed() / 1000;

  for (Calculators::Calculator which : Calculators::all())
    if (shell::SheetWindow* window = calculators.window(which)) watch(window);
  connect(&calculators, &Calculators::windowCreated, this, &Autosave::watch);
  connect(&calculators, &Calculators::switched, this, &Autosave::changed);
  // Connected before run() connects its exit, so this runs first.
  connect(&calculators, &Calculators::quitRequested, this, &Autosave::quitRequested);
  connect(
      qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { sessionEnds(); },
      Qt::DirectConnection);
  // Every end through the event loop but the user's own exit: a signal, the session, a quit.
  connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
    if (!ended_) saveNow();
  });

  QTimer::singleShot(0, this, [this, recovered, recoverUs] {
    if (testLog_) testLog_->started(*calculators_, recovered, storeUs_, recoverUs);
    reportErrors();
    if (!recovered) return;
    QMessageBox box(QMessageBox::Information, QStringLiteral("Quenby"), QString::fromUtf8(kRecovered),
                    QMessageBox::Ok, shownWindow());
    box.exec();
  });
  return recovered;
}

bool Autosave::recover() {
  std::optional<store::Snapshot> saved = store_->recover();
  if (!saved || saved->sheets.empty()) return false;
  bool typed = false;
  for (const store::SheetState& sheet : saved->sheets) {
    const std::optional<Calculators::Calculator> which = Calculators::byStoreKey(sheet.key);
    if (!which) continue;  // a calculator this version does not have
    shell::SheetWindow* window = calculators_->create(*which);
    if (!window->attachedSheet()) continue;
    // Every text first, with no rule run, then the widgets: what was shown comes back as it was.
    store::restore(sheet, *window->attachedSheet());
    window->refreshFromSheet();
    typed = typed || calculators_->holdsTypedText(*which);
  }
  // A run that ended before anything was typed left nothing to bring back: a fresh start.
  if (!typed) return false;
  const std::optional<Calculators::Calculator> shown = Calculators::byStoreKey(saved->shown);
  if (shown && calculators_->window(*shown)) calculators_->window(*shown)->show();
  return true;
}

void Autosave::keepStranded() {
  if (!draftsOfStranded_) return;
  for (const store::Store::StrandedRun& run : store_->stranded())
    store_->keepAsDrafts(run.id, draftsOfStranded_(run.snapshot, run.savedAtMs));
}

void Autosave::watch(shell::SheetWindow* window) {
  Sheet* sheet = window->attachedSheet();
  if (!sheet) return;
  // A field's listeners live as long as its sheet: the guard keeps a late change harmless.
  for (const NamedField& f : sheet->fields())
    f.field->onChange([self = QPointer<Autosave>(this)] {
      if (self) self->changed();
    });
}

void Autosave::changed() {
  if (!timer_.isActive()) timer_.start();
}

store::Snapshot Autosave::snapshot() const {
  store::Snapshot snapshot;
  for (Calculators::Calculator which : Calculators::all()) {
    const shell::SheetWindow* window = calculators_->window(which);
    if (window && window->attachedSheet())
      snapshot.sheets.push_back(store::capture(Calculators::storeKey(which), *window->attachedSheet()));
  }
  snapshot.shown = Calculators::storeKey(calculators_->shown().value_or(Calculators::LogTally));
  return snapshot;
}

void Autosave::saveSoon() {
  save(false);
  reportErrors();
}

void Autosave::saveNow() { save(true); }

void Autosave::save(bool wait) {
  timer_.stop();
  if (!calculators_ || !store_->isOpen() || ended_) return;
  store::Snapshot taken = snapshot();
  // In test mode the save's line is written once the store's thread has committed it, so that the
  // line means it is written; the save itself goes as every save does.
  std::function<void()> written;
  if (testLog_) written = [log = testLog_, taken] { log->saved(taken); };
  store_->save(std::move(taken), std::move(written));
  if (wait) store_->flush();
}

void Autosave::sessionEnds() {
  sessionEnding_ = true;
  saveNow();
}

bool Autosave::sessionEnding() const {
  return sessionEnding_ || qApp->isSavingSession() || terminationRequested();
}

void Autosave::quitRequested() {
  if (sessionEnding()) return;  // saved when the event loop ends, and left for the next start
  saveNow();
  ended_ = true;
  store_->markUserExit(draftsAtExit_ ? draftsAtExit_() : std::vector<store::LedgerRecord>());
}

void Autosave::reportErrors() {
  if (reporting_ || ended_) return;
  reporting_ = true;
  while (std::optional<QuenbyError> error = store_->takeError())
    shell::reportError(shownWindow(), error->number(), error->description());
  reporting_ = false;
}

QWidget* Autosave::shownWindow() const {
  if (!calculators_) return nullptr;
  const std::optional<Calculators::Calculator> shown = calculators_->shown();
  return shown ? calculators_->window(*shown) : calculators_->startWindow();
}

}  // namespace quenby::app

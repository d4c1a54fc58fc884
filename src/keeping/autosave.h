#pragma once
// Autosave: keeps the calculators' sheets in the user's store while the program runs, and brings
// them back at the next start after a run that did not end by the user's own exit.
//
// A change of any field of any window, or a switch of the shown window, asks for a save; the
// first change after a save starts a one-second timer that later changes do not restart, so every
// change is saved within a second of itself however long the typing goes on. A save copies the
// texts of every existing sheet on this thread and hands them to the store's writer thread: the
// window never waits for the disk. Before an export, and when the program ends in any other way
// than the user's own exit (a signal, the desktop session ending), the save is made at once and
// waited for, and the run is left for the next start to recover. The user's own exit (the exit
// buttons, closing Form1 or Form2, unless the session is ending or a signal came first) saves,
// then marks the run so that the next start is fresh, keeping the sheets' drafts in the ledger in
// the same transaction. The store's failures are shown once each in
// the numbered error box; the program goes on without saving.

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "shell/window_export.h"
#include "store/store.h"

namespace quenby::shell {
class SheetWindow;
}

namespace quenby::app {

class Calculators;
class TestLog;

class Autosave : public QObject {
  Q_OBJECT

 public:
  // How long after the first unsaved change the sheets are saved.
  static constexpr std::chrono::milliseconds kDelay{1000};

  // Opens the store at `path` (the user's own by default) and takes this run's lock, on the
  // store's thread while the windows are built; keep() waits for it.
  // `delay` is kDelay but in tests, which wait milliseconds instead of seconds.
  explicit Autosave(const QString& path = store::Store::defaultPath(),
                    std::chrono::milliseconds delay = kDelay);
  ~Autosave() override;

  // `services` with a save made at once before each export: handed over at the click, waited for
  // on the export's thread.
  ExportServices withSaveBeforeExport(ExportServices services);

  // Call once, before run() shows the windows. After a run that did not end by the user's own
  // exit, puts its sheets back (the windows that existed are created, the one that was shown is
  // shown, and the user is told once the event loop runs); keeps the typing of every other such
  // run that is no longer alive as drafts (setDraftsOfStranded); then watches every window, those
  // created later too, and the ways the program ends. Returns whether sheets came back.
  bool keep(Calculators& calculators);

  // Saves every sheet at once and waits until it is written.
  void saveNow();
  // The desktop session is ending (it asked the program to save): saves at once, and whatever
  // ends the program from now on is no user's exit.
  void sessionEnds();

  store::Store& store() { return *store_; }

  // What the user's own exit adds to the ledger, written in the same transaction as the exit.
  void setDraftsAtExit(std::function<std::vector<store::LedgerRecord>()> drafts) {
    draftsAtExit_ = std::move(drafts);
  }
  // What the ledger keeps of a run that ended otherwise and that no start brings back (the store
  // recovers only the most recent such run), from its snapshot saved at `atMs`; keep() adds it,
  // marking the run in the same transaction, so that nothing typed is stranded. Unset, such runs
  // are left in the store as they are.
  using StrandedDrafts = std::function<std::vector<store::LedgerRecord>(const store::Snapshot&, qint64 atMs)>;
  void setDraftsOfStranded(StrandedDrafts drafts) { draftsOfStranded_ = std::move(drafts); }

 private:
  void watch(shell::SheetWindow* window);
  void changed();
  void saveSoon();
  // Hands every sheet to the store; waits until it is written when `wait`.
  void save(bool wait);
  store::Snapshot snapshot() const;
  bool recover();
  void keepStranded();
  void quitRequested();
  bool sessionEnding() const;
  // Shows the store's failures not yet told, each in the numbered error box.
  void reportErrors();
  QWidget* shownWindow() const;

  // How long making the store held up the start (microseconds), for the test log; its opening
  // goes on meanwhile and recover() waits for the rest.
  qint64 storeUs_ = 0;
  std::unique_ptr<store::Store> store_;
  std::shared_ptr<TestLog> testLog_;  // shared with the store's thread, which logs each save
  Calculators* calculators_ = nullptr;
  std::function<std::vector<store::LedgerRecord>()> draftsAtExit_;
  StrandedDrafts draftsOfStranded_;
  QTimer timer_;
  bool sessionEnding_ = false;  // the desktop asked to save: what follows is no user's exit
  bool ended_ = false;          // the user's own exit is written: nothing more is saved
  bool reporting_ = false;      // an error box is open
};

}  // namespace quenby::app

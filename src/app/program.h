#pragma once
// Quenby's parts, made in the order they depend on each other and ended in the reverse: the
// user's store with the autosave (whose recovery brings back the sheets of a run that did not end
// by the user's exit), the handling of termination signals, the offices (their module loaded when
// one is first wanted), the calculators with their windows, the ledger. main() and the start-up probe make
// the same.

#include <memory>

#include "app/command_line.h"
#include "keeping/autosave.h"
#include "keeping/ledger_access.h"
#include "keeping/sheet_recorder.h"
#include "office_loading/office_warm_up.h"
#include "windows/calculators.h"
#include "yard/sync_notifier.h"
#include "yard/yard_settings.h"

namespace quenby::app {

class Program {
 public:
  // Needs the QApplication made and prepared (prepareApplication).
  explicit Program(const CommandLine& commandLine);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  Calculators& calculators() { return calculators_; }
  // The shared ledger's sync, for its status line and the records it fetches; null when no server
  // is set.
  yard::SyncNotifier* yard() { return yard_.get(); }
  // Shows the log tally window, or the ledger alone (--ledger), and runs until the program ends.
  int run();

 private:
  const bool ledgerAlone_;
  // First: this office's name is told to the store before the store opens.
  const yard::YardSettings yardSettings_;
  Autosave autosave_;  // outlives the windows, so that an end in order saves them
  // Ended after the windows: the office started ahead ends when the last of them goes.
  std::shared_ptr<OfficeSupply> offices_;
  OfficeWarmUp warmUp_;
  Calculators calculators_;
  SheetRecorder records_;  // every export recorded, the sheets' drafts kept at the user's exit
  LedgerAccess ledger_;
  std::unique_ptr<yard::SyncNotifier> yard_;  // ended first, within a second
};

}  // namespace quenby::app

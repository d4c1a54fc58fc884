#pragma once
// SheetRecorder: what the ledger keeps of the calculators' sheets. At an export's click it takes
// the sheet's texts; once the export has succeeded it records them as an exported bill. At the
// user's own exit it names the drafts: every sheet that holds typed text (differs from what its
// window was created with) and differs from what the ledger last got of it in this run (its last
// export, or the record reopened into it). At start it names the drafts of a run that ended
// otherwise and that no start brings back: each of its sheets that holds typed text. Records are
// written through the store's writer. An export's record is handed over once the bill is saved and
// not waited for; the first export of a run that cannot be recorded is told (RecordFailed) once
// its click is over, or when the store answers after that, and later ones are only counted, for
// the line under the ledger's list (unrecordedNotice).

#include <QString>
#include <QtGlobal>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "store/records.h"
#include "store/store.h"
#include "windows/calculators.h"

namespace quenby::app {

class SheetRecorder {
 public:
  using Clock = std::function<qint64()>;  // now, in milliseconds since 1970-01-01 UTC

  // Hooks itself into the calculators' exports. `store` and `calculators` outlive it.
  SheetRecorder(store::Store& store, Calculators& calculators, Clock now = {});
  ~SheetRecorder();
  SheetRecorder(const SheetRecorder&) = delete;
  SheetRecorder& operator=(const SheetRecorder&) = delete;

  // The sheets the user's exit leaves as drafts.
  std::vector<store::LedgerRecord> draftsAtExit() const;
  // The drafts of a run no start brought back, saved as `snapshot` at `atMs`.
  static std::vector<store::LedgerRecord> draftsOfStranded(const store::Snapshot& snapshot, qint64 atMs);
  // Whether the sheet's texts are not in the ledger yet (nothing of it recorded in this run, or
  // changed since).
  bool unrecorded(Calculators::Calculator which) const;
  // Records the sheet as it stands as a draft; raises RecordFailed.
  void recordDraft(Calculators::Calculator which);
  // A record was put back into the sheet: what it holds now is in the ledger.
  void reopened(Calculators::Calculator which);

  // Runs after each record this object made, and after each export it could not record.
  void onRecorded(std::function<void()> recorded) { recorded_ = std::move(recorded); }
  // How many exports of this run could not be recorded and why, for the ledger window; empty when
  // every export was.
  const QString& unrecordedNotice() const { return unrecordedNotice_; }

 private:
  void atClick(Calculators::Calculator which);
  void exported(Calculators::Calculator which, const KeptPdf& pdf);
  // The outcome of an export's record, back on this thread.
  void exportRecorded(Calculators::Calculator which, const store::SheetState& texts,
                      const std::optional<QuenbyError>& failure);
  void clickEnded();
  void tell(const QuenbyError& error);
  void record(store::RecordState state, const store::SheetState& texts);

  store::Store& store_;
  Calculators& calculators_;
  Clock now_;
  std::map<Calculators::Calculator, store::SheetState> atClick_;   // the texts of the last click
  std::map<Calculators::Calculator, store::SheetState> inLedger_;  // what the ledger last got
  std::function<void()> recorded_;
  int unrecorded_ = 0;  // exports of this run that could not be recorded
  QString unrecordedNotice_;
  bool clickRunning_ = false;          // from an export's click until its last box is answered
  std::optional<QuenbyError> untold_;  // a failure to tell once the click is over
  std::shared_ptr<SheetRecorder*> alive_ = std::make_shared<SheetRecorder*>(this);  // for the outcomes
};

}  // namespace quenby::app

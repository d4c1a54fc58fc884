#include "keeping/sheet_recorder.h"

#include <QApplication>
#include <QDateTime>
#include <utility>

#include "shell/error_guard.h"

#include "store/store_error.h"

namespace quenby::app {

SheetRecorder::SheetRecorder(store::Store& store, Calculators& calculators, Clock now)
    : store_(store),
      calculators_(calculators),
      now_(now ? std::move(now) : &QDateTime::currentMSecsSinceEpoch) {
  calculators_.setExportHooks(
      [this](Calculators::Calculator which) { atClick(which); },
      [this](Calculators::Calculator which, const KeptPdf& pdf) { exported(which, pdf); },
      [this] { clickEnded(); });
}

SheetRecorder::~SheetRecorder() = default;

void SheetRecorder::atClick(Calculators::Calculator which) {
  atClick_[which] = calculators_.content(which);
  clickRunning_ = true;
}

void SheetRecorder::exported(Calculators::Calculator which, const KeptPdf& pdf) {
  // Always taken at the click of the same export.
  const store::SheetState texts = atClick_.at(which);
  inLedger_[which] = texts;
  // Written on the store's thread; the outcome comes back to this one.
  store_.recordSoon(
      {now_(), store::RecordState::Exported, texts, QString::fromStdString(pdf.path)},
      [alive = std::weak_ptr<SheetRecorder*>(alive_), which, texts](std::optional<QuenbyError> failure) {
        QMetaObject::invokeMethod(
            qApp,
            [alive, which, texts, failure] {
              if (const std::shared_ptr<SheetRecorder*> self = alive.lock())
                (*self)->exportRecorded(which, texts, failure);
            },
            Qt::QueuedConnection);
      });
}

void SheetRecorder::exportRecorded(Calculators::Calculator which, const store::SheetState& texts,
                                   const std::optional<QuenbyError>& failure) {
  if (failure) {
    // The sheet is not in the ledger after all, unless a later record put it there.
    if (auto kept = inLedger_.find(which); kept != inLedger_.end() && kept->second == texts)
      inLedger_.erase(kept);
    unrecordedNotice_ = store::unrecordedExports(++unrecorded_, *failure);
    // Told once per run: while the store cannot be written every export would say it again.
    if (unrecorded_ == 1) {
      if (clickRunning_)
        untold_ = failure;  // after the click's own boxes
      else
        tell(*failure);
    }
  }
  if (recorded_) recorded_();
}

void SheetRecorder::clickEnded() {
  clickRunning_ = false;
  if (untold_) throw std::exchange(untold_, std::nullopt).value();
}

void SheetRecorder::tell(const QuenbyError& error) {
  shell::reportError(QApplication::activeWindow(), error.number(), error.description());
}

bool SheetRecorder::unrecorded(Calculators::Calculator which) const {
  auto kept = inLedger_.find(which);
  return kept == inLedger_.end() || kept->second != calculators_.content(which);
}

std::vector<store::LedgerRecord> SheetRecorder::draftsAtExit() const {
  std::vector<store::LedgerRecord> drafts;
  for (Calculators::Calculator which : Calculators::all())
    if (calculators_.holdsTypedText(which) && unrecorded(which))
      drafts.push_back({now_(), store::RecordState::Draft, calculators_.content(which)});
  return drafts;
}

std::vector<store::LedgerRecord> SheetRecorder::draftsOfStranded(const store::Snapshot& snapshot,
                                                                 qint64 atMs) {
  std::vector<store::LedgerRecord> drafts;
  for (const store::SheetState& sheet : snapshot.sheets)
    if (std::optional<store::SheetState> typed = Calculators::typedIn(sheet))
      drafts.push_back({atMs, store::RecordState::RecoveredDraft, std::move(*typed)});
  return drafts;
}

void SheetRecorder::recordDraft(Calculators::Calculator which) {
  const store::SheetState texts = calculators_.content(which);
  record(store::RecordState::Draft, texts);
  inLedger_[which] = texts;
}

void SheetRecorder::reopened(Calculators::Calculator which) {
  inLedger_[which] = calculators_.content(which);
}

void SheetRecorder::record(store::RecordState state, const store::SheetState& texts) {
  store_.record({now_(), state, texts});
  if (recorded_) recorded_();
}

}  // namespace quenby::app

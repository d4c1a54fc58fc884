#include "export/export_progress.h"

#include "export/export_error.h"

namespace quenby {

namespace {

constexpr int kStepMask = 0xff;

}  // namespace

ExportProgress::Step ExportProgress::step() const noexcept {
  return static_cast<Step>(state_.load() & kStepMask);
}

bool ExportProgress::cancel() noexcept {
  int state = state_.load();
  for (;;) {
    if (state & kCancelled) return true;
    if ((state & kStepMask) >= static_cast<int>(Step::Saving)) return false;
    if (state_.compare_exchange_weak(state, state | kCancelled)) return true;
  }
}

bool ExportProgress::cancelled() const noexcept { return state_.load() & kCancelled; }

bool ExportProgress::cancellable() const noexcept {
  const int state = state_.load();
  return !(state & kCancelled) && (state & kStepMask) < static_cast<int>(Step::Saving);
}

void ExportProgress::enter(Step step) {
  int state = state_.load();
  do {
    if (state & kCancelled) throw exportCancelled();
  } while (!state_.compare_exchange_weak(state, static_cast<int>(step)));
  if (step == Step::Starting) written_ = 0;
}

void ExportProgress::cellWritten() {
  if (cancelled()) throw exportCancelled();
  ++written_;
}

}  // namespace quenby

#pragma once
// How far an export has come, for a progress display, and the user's cancel. The export writes it
// from the thread that drives the office; the window reads and cancels it from its own, so every
// member is atomic. No Qt.

#include <atomic>

namespace quenby {

class ExportProgress {
 public:
  enum class Step : int { Starting, Opening, Writing, Saving, Pdf, Showing };

  explicit ExportProgress(int cells = 0) : cells_(cells) {}
  ExportProgress(const ExportProgress&) = delete;
  ExportProgress& operator=(const ExportProgress&) = delete;

  Step step() const noexcept;
  int cellsWritten() const noexcept { return written_.load(); }
  int cells() const noexcept { return cells_; }

  // The user's cancel. Taken only before the save begins (an office ended in the middle of a save
  // would leave its unfinished copy beside the bill); true when the export is cancelled now.
  bool cancel() noexcept;
  bool cancelled() const noexcept;
  // Whether a cancel would still be taken.
  bool cancellable() const noexcept;

  // The export's side. Each raises ExportCancelled once the user has cancelled; entering the save
  // and taking a cancel exclude each other.
  void enter(Step step);
  void cellWritten();

 private:
  static constexpr int kCancelled = 0x100;  // or-ed into the step
  std::atomic<int> state_{static_cast<int>(Step::Starting)};
  std::atomic<int> written_{0};
  const int cells_;
};

}  // namespace quenby

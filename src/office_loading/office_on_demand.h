#pragma once
// The program's office supply: what makes the real one (the office host module's, with the
// office's UNO runtime) runs only when an office is first wanted, at the first touch or the first
// export, whichever comes first; then it stays for the rest of the run. A touch loads on a thread
// of its own and returns at once, so that the key press that asked for an office does not wait
// for the office's libraries to be read; an export waits for that load, or loads on its own
// thread. With offices not started ahead, touches load nothing.

#include <functional>
#include <memory>
#include <thread>

#include "export/office_supply.h"
#include "threads/handoff.h"

namespace quenby::app {

class OfficeOnDemand final : public OfficeSupply {
 public:
  // `load` makes the real supply or raises QuenbyError; it may run on any thread.
  using Load = std::function<std::unique_ptr<OfficeSupply>()>;
  OfficeOnDemand(Load load, bool startAhead);
  // Awaits a load in progress, then ends the supply: the office it holds ready ends with it.
  ~OfficeOnDemand() override;
  OfficeOnDemand(const OfficeOnDemand&) = delete;
  OfficeOnDemand& operator=(const OfficeOnDemand&) = delete;

  void touch() override;
  // Raises the load's error when the supply cannot be made: the next export tries again, while
  // touches, after a load of theirs failed, do not.
  std::unique_ptr<SpreadsheetHost> newHost() override;

 private:
  const Load load_;
  const bool startAhead_;
  Handoff handoff_;  // guards what follows; a load's end is announced
  bool loading_ = false;
  bool touchLoadFailed_ = false;
  std::unique_ptr<OfficeSupply> supply_;
  std::thread loader_;  // of the first touch
};

}  // namespace quenby::app

#pragma once
// At most one private office started ahead of the next export, so that the export finds it
// running and connected. The office starts on a thread of the reserve's own that runs at a lower
// scheduling priority than the windows, which the office's processes inherit; then it waits idle.
// An export's host takes it (waiting for one that is starting, never starting a second), hands it
// back asked to end for the reserve to await its exit, and has the next one started after it.
// An idle office is ended after the idle
// time without a touch, and when the reserve is destroyed. Like every office of ours it is listed
// for the termination handling and has its watchdog, so it never outlives Quenby. No Qt.

#include <sys/types.h>

#include <chrono>
#include <exception>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "export/office_supply.h"
#include "office/libreoffice_host.h"
#include "threads/handoff.h"

namespace quenby {

class OfficeInterrupt;
class OfficeProcess;

class OfficeReserve {
 public:
  static constexpr std::chrono::minutes kIdleTime = OfficeSupplySettings::kIdleTime;
  // The niceness of the thread that starts the offices, and so of the offices.
  static constexpr int kNiceness = 10;

  explicit OfficeReserve(OfficeOptions options = {}, std::chrono::milliseconds idleTime = kIdleTime);
  ~OfficeReserve();  // ends the thread, and the office it holds
  OfficeReserve(const OfficeReserve&) = delete;
  OfficeReserve& operator=(const OfficeReserve&) = delete;

  // What the reserve's offices start with; a host on this reserve drives them with it too.
  const OfficeOptions& options() const noexcept { return options_; }

  // The user is at work: an office is started when there is none (unless the last start failed:
  // then only after the next export), and the idle time begins again. Returns at once.
  void touch();
  // An export's office has ended: the next one is started. Returns at once.
  void refill();
  // An export's office that was asked to end (askToEnd): its end is awaited here, so that the
  // export need not wait, and before the next office starts. Returns at once.
  void retire(std::unique_ptr<OfficeProcess> office, bool agreed);

  // For an export's host: the office once it is ready, watched by `caller` from then on; null when
  // there is none (the host starts its own) or it died waiting. A start that the caller waited for
  // and that failed raises its error; a caller interrupted while it waits gives the start up and
  // raises ExportCancelled. Takes the reserve's want of an office with it: refill() renews it.
  std::unique_ptr<OfficeProcess> take(const std::shared_ptr<OfficeInterrupt>& caller);

  // For tests and measurements: the process group of the idle office (0 when there is none),
  // waiting until one is ready (false when none came in time), and how many starts were begun.
  pid_t readyOffice() const;
  bool waitUntilReady(std::chrono::milliseconds timeout);
  int starts() const;

 private:
  using Clock = std::chrono::steady_clock;
  void run();
  void start(Handoff::Lock& lock);
  void end(Handoff::Lock& lock);
  void endRetired(Handoff::Lock& lock);

  const OfficeOptions options_;
  const std::chrono::milliseconds idleTime_;
  Handoff handoff_;      // guards what follows
  bool wanted_ = false;  // an office should be held
  bool failed_ = false;  // the last start failed: wait for an export before trying again
  bool stopping_ = false;
  bool starting_ = false;
  int waiting_ = 0;                                  // hosts waiting in take() for the start in progress
  std::shared_ptr<OfficeInterrupt> startInterrupt_;  // of the start in progress
  std::exception_ptr startError_;                    // of the last start
  std::unique_ptr<OfficeProcess> office_;            // ready and idle
  std::vector<std::pair<std::unique_ptr<OfficeProcess>, bool>> retired_;  // with whether it agreed
  Clock::time_point touched_ = Clock::now();
  int starts_ = 0;
  std::thread thread_;  // last: it starts once everything above is there
};

}  // namespace quenby

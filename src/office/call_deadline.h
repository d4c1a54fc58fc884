#pragma once
// The deadline of the call on an office: one at a time, armed before a call and disarmed after
// it. A thread of its own waits for it; when it passes, the office is killed (every member of its
// process group but the start process), which breaks the connection and so ends the call. No UNO.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <thread>

#include "threads/handoff.h"

namespace quenby {

class CallDeadline {
 public:
  CallDeadline() = default;
  ~CallDeadline() { stop(); }
  CallDeadline(const CallDeadline&) = delete;
  CallDeadline& operator=(const CallDeadline&) = delete;

  // Starts watching the office of process group `group`.
  void start(pid_t group);
  // Stops watching for good: no deadline touches the group once this returns.
  void stop() noexcept;

  void arm(std::chrono::milliseconds timeout);
  void disarm() noexcept;
  // Whether a deadline has passed (and the office was killed) since start.
  bool passed();

 private:
  using Clock = std::chrono::steady_clock;
  void watch(pid_t group);

  Handoff handoff_;  // guards what follows
  std::optional<Clock::time_point> deadline_;
  unsigned generation_ = 0;
  bool passed_ = false;
  bool stopped_ = false;
  std::thread watcher_;
};

}  // namespace quenby

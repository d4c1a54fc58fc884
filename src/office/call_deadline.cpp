#include "office/call_deadline.h"

#include "office/process_group.h"

namespace quenby {

void CallDeadline::start(pid_t group) { watcher_ = std::thread(&CallDeadline::watch, this, group); }

void CallDeadline::stop() noexcept {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  changed_.notify_all();
  if (watcher_.joinable()) watcher_.join();
}

void CallDeadline::arm(std::chrono::milliseconds timeout) {
  std::lock_guard lock(mutex_);
  deadline_ = Clock::now() + timeout;
  ++generation_;
  changed_.notify_all();
}

void CallDeadline::disarm() noexcept {
  std::lock_guard lock(mutex_);
  deadline_.reset();
  ++generation_;
  changed_.notify_all();
}

bool CallDeadline::passed() {
  std::lock_guard lock(mutex_);
  return passed_;
}

void CallDeadline::watch(pid_t group) {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return stopped_ || deadline_; });
    if (stopped_) return;
    const unsigned generation = generation_;
    if (changed_.wait_until(lock, *deadline_, [&] { return stopped_ || generation_ != generation; }))
      continue;
    // The office has not answered in time. Killing it breaks the connection, which ends the call.
    passed_ = true;
    deadline_.reset();
    killOfficeMembers(group);
  }
}

}  // namespace quenby

#include "office/call_deadline.h"

#include "office/process_group.h"

namespace quenby {

void CallDeadline::start(pid_t group) { watcher_ = std::thread(&CallDeadline::watch, this, group); }

void CallDeadline::stop() noexcept {
  handoff_.change([this] { stopped_ = true; });
  if (watcher_.joinable()) watcher_.join();
}

void CallDeadline::arm(std::chrono::milliseconds timeout) {
  handoff_.change([&] {
    deadline_ = Clock::now() + timeout;
    ++generation_;
  });
}

void CallDeadline::disarm() noexcept {
  handoff_.change([this] {
    deadline_.reset();
    ++generation_;
  });
}

bool CallDeadline::passed() {
  const Handoff::Lock lock = handoff_.lock();
  return passed_;
}

void CallDeadline::watch(pid_t group) {
  Handoff::Lock lock = handoff_.lock();
  for (;;) {
    handoff_.wait(lock, [&] { return stopped_ || deadline_; });
    if (stopped_) return;
    const unsigned generation = generation_;
    if (handoff_.waitUntil(lock, *deadline_, [&] { return stopped_ || generation_ != generation; })) continue;
    // The office has not answered in time. Killing it breaks the connection, which ends the call.
    passed_ = true;
    deadline_.reset();
    killOfficeMembers(group);
  }
}

}  // namespace quenby

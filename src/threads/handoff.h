#pragma once
// Handoff: what a thread of ours shares with the threads that hand it work or wait for its
// results. The state itself stays in the class that owns the thread; the Handoff holds the mutex
// that guards it and the condition its changes are announced on, so that every change is made
// under the lock and wakes every waiter after the lock is let go, and every wait rechecks its
// predicate or its loop's state. The store's writer, the office reserve, a call's deadline and the module
// loader each keep one. No Qt.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace quenby {

class Handoff {
 public:
  using Lock = std::unique_lock<std::mutex>;

  // The lock, for reading the state or waiting on it.
  Lock lock() const { return Lock(mutex_); }

  // Runs `fn` under the lock, then wakes every waiter; returns what `fn` returns.
  template <class Fn>
  decltype(auto) change(Fn&& fn) {
    const Wake wake{changed_};  // after the guard is let go
    const std::lock_guard guard(mutex_);
    return std::forward<Fn>(fn)();
  }
  // Wakes every waiter, for a change made under `lock()`.
  void announce() const { changed_.notify_all(); }

  // Waits under `lock` until `ready()`.
  template <class Ready>
  void wait(Lock& lock, Ready&& ready) const {
    changed_.wait(lock, std::forward<Ready>(ready));
  }
  // The same until `deadline` at the latest; whether `ready()` holds.
  template <class Clock, class Duration, class Ready>
  bool waitUntil(Lock& lock, const std::chrono::time_point<Clock, Duration>& deadline, Ready&& ready) const {
    return changed_.wait_until(lock, deadline, std::forward<Ready>(ready));
  }
  template <class Rep, class Period, class Ready>
  bool waitFor(Lock& lock, const std::chrono::duration<Rep, Period>& time, Ready&& ready) const {
    return changed_.wait_for(lock, time, std::forward<Ready>(ready));
  }

  // Waits under `lock` for the next change (a wake-up may come without one), or until `deadline`:
  // for a loop that reads the state itself after each wake-up.
  void waitForChange(Lock& lock) const { changed_.wait(lock); }
  template <class Clock, class Duration>
  void waitForChangeUntil(Lock& lock, const std::chrono::time_point<Clock, Duration>& deadline) const {
    changed_.wait_until(lock, deadline);
  }

 private:
  struct Wake {
    std::condition_variable& changed;
    ~Wake() { changed.notify_all(); }
  };

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
};

}  // namespace quenby

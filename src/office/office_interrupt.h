#pragma once
// Lets another thread end an office that is starting or answering a call, so that the thread
// blocked on it returns at once: the user's cancel of an export, or the reserve giving up an office
// it was starting. Once interrupted, it stays so: the office it watches, and any office it is given
// to watch later, is ended. No UNO.

#include <sys/types.h>

#include <mutex>

namespace quenby {

class OfficeInterrupt {
 public:
  // Any thread: ends the watched office (every member of its group but the start process, as a
  // passed deadline does) and every office watched from now on.
  void interrupt() noexcept;
  bool requested() const noexcept;

  // The office of process group `group` is the one to end. False, with the office ended, when the
  // interrupt came already.
  bool watch(pid_t group);
  // Before the group is reaped: from then on the number may name another group.
  void unwatch() noexcept;

 private:
  mutable std::mutex mutex_;
  pid_t group_ = 0;
  bool requested_ = false;
};

}  // namespace quenby

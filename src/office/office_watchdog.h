#pragma once
// The watchdog of a private office: office_watchdog.sh (compiled in), run by /bin/sh in a process
// group of its own. It reads a pipe whose writing end only we hold, so it learns of our end
// however we end, SIGKILL included; then it ends the office and removes what the office left (its
// pipe sockets, the bill's lock when it is this office's, the profile). It knows the office by its
// process group's leader and that leader's start time (and soffice.bin's, from the owner record),
// never by the text of a command line. No UNO.

#include <sys/types.h>

#include <chrono>
#include <string>

namespace quenby {

class OfficeWatchdog {
 public:
  OfficeWatchdog() = default;
  ~OfficeWatchdog() { finish(); }
  OfficeWatchdog(const OfficeWatchdog&) = delete;
  OfficeWatchdog& operator=(const OfficeWatchdog&) = delete;

  // Starts the watchdog of the office in process group `group`, whose leader started at
  // `groupStarted` (clock ticks after boot), on `profile`. Raises SpreadsheetFailed when it cannot.
  void start(pid_t group, unsigned long long groupStarted, const std::string& profile);

  // Around a store of the bill: a save being written is let finish (until `timeout` has passed)
  // before the office is ended.
  void saving(std::chrono::milliseconds timeout, const std::string& billPath);
  void saved() noexcept;

  // Ends the watchdog's input and waits for it to clean up. False when no watchdog ran: what the
  // office left is then the caller's to remove.
  bool finish() noexcept;

  // Runs the watchdog with no input for the office of an owner that has gone, and waits for it.
  // False when it could not be started.
  static bool cleanUpAfter(pid_t group, unsigned long long groupStarted, const std::string& profile);

 private:
  void tell(const std::string& line) noexcept;

  pid_t pid_ = 0;
  int input_ = -1;  // our end of its pipe
};

}  // namespace quenby

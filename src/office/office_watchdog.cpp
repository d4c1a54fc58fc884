#include "office/office_watchdog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "export/export_error.h"
#include "office/office_names.h"
#include "office/process_group.h"
#include "office_watchdog_script.h"  // kWatchdogScript, generated from office_watchdog.sh

namespace quenby {

namespace {

// A watchdog on `profile` reading `input` (-1: nothing). 0 when it cannot be started.
pid_t spawnWatchdog(pid_t group, unsigned long long groupStarted, const std::string& profile, int input) {
  int error = 0;
  const bool known = group > 0 && groupStarted > 0;
  return spawnInOwnGroup({"/bin/sh", "-c", kWatchdogScript, std::string(kProfilePrefix) + "watchdog",
                          known ? std::to_string(group) : std::string(),
                          known ? std::to_string(groupStarted) : std::string(), profile},
                         nullptr, input, error);
}

// How long a watchdog may take to clean up before it is killed.
constexpr std::chrono::seconds kCleanUpTime{10};

}  // namespace

void OfficeWatchdog::start(pid_t group, unsigned long long groupStarted, const std::string& profile) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0)
    throw QuenbyError(ExportError::SpreadsheetFailed,
                      std::string("无法为电子表格程序建立看护管道：") + std::strerror(errno));
  pid_ = spawnWatchdog(group, groupStarted, profile, fds[0]);
  ::close(fds[0]);
  if (pid_ == 0) {
    ::close(fds[1]);
    throw QuenbyError(ExportError::SpreadsheetFailed, "无法启动电子表格程序的看护进程（/bin/sh）");
  }
  input_ = fds[1];
}

void OfficeWatchdog::saving(std::chrono::milliseconds timeout, const std::string& billPath) {
  struct stat st {};
  ::stat(billPath.c_str(), &st);
  const auto until = std::chrono::duration_cast<std::chrono::seconds>(
      (std::chrono::system_clock::now() + timeout).time_since_epoch());
  tell(std::string(kWatchdogSaving) + " " + std::to_string(until.count() + 1) + " " +
       std::to_string(st.st_ino) + "\n");
}

void OfficeWatchdog::saved() noexcept { tell(std::string(kWatchdogSaved) + "\n"); }

void OfficeWatchdog::tell(const std::string& line) noexcept {
  if (input_ < 0) return;
  [[maybe_unused]] ssize_t written = ::write(input_, line.data(), line.size());
}

bool OfficeWatchdog::finish() noexcept {
  if (input_ >= 0) {
    ::close(input_);  // the end of its input: it removes what the office left
    input_ = -1;
  }
  if (pid_ == 0) return false;
  reapWithin(pid_, kCleanUpTime);
  pid_ = 0;
  return true;
}

bool OfficeWatchdog::cleanUpAfter(pid_t group, unsigned long long groupStarted, const std::string& profile) {
  const pid_t watchdog = spawnWatchdog(group, groupStarted, profile, -1);
  if (watchdog == 0) return false;
  reapWithin(watchdog, kCleanUpTime);
  return true;
}

}  // namespace quenby

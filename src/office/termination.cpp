#include "office/termination.h"

#include "office/office_links.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "office/process_group.h"

namespace quenby {

namespace {

std::atomic<bool> requested{false};
int wakeFds[2] = {-1, -1};  // the handler writes the signal number, the watcher reads it

void onSignal(int signal) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  [[maybe_unused]] ssize_t written = ::write(wakeFds[1], &number, 1);
  errno = saved;
}

struct LiveOffices {
  std::mutex mutex;
  std::condition_variable saveEnded;
  std::map<pid_t, bool> saving;  // process group -> a save is being written
};

LiveOffices& offices() {
  static LiveOffices* all = new LiveOffices;  // never destroyed: the watcher may outlive main
  return *all;
}

void watch(std::function<void()> quit, TerminationOptions options) {
  unsigned char number = 0;
  while (::read(wakeFds[0], &number, 1) != 1) {
  }
  requested = true;
  live_offices::abandonAll(options.saveGrace);
  quit();
  // The application ends the program; should it hang, the signal's own action does.
  std::this_thread::sleep_for(options.exitGrace);
  ::signal(number, SIG_DFL);
  ::kill(::getpid(), number);
}

}  // namespace

void installTerminationHandling(std::function<void()> quit, TerminationOptions options) {
  if (wakeFds[0] >= 0) return;
  if (::pipe2(wakeFds, O_CLOEXEC) != 0) return;
  ::fcntl(wakeFds[1], F_SETFL, O_NONBLOCK);  // a full pipe drops a repeated signal, never blocks
  std::thread(watch, std::move(quit), options).detach();
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

bool terminationRequested() noexcept { return requested; }

namespace live_offices {

bool add(pid_t group) {
  LiveOffices& all = offices();
  std::lock_guard lock(all.mutex);
  if (requested) return false;
  all.saving[group] = false;
  return true;
}

void remove(pid_t group) noexcept {
  LiveOffices& all = offices();
  std::lock_guard lock(all.mutex);
  all.saving.erase(group);
  all.saveEnded.notify_all();
}

bool beginSave(pid_t group) {
  LiveOffices& all = offices();
  std::lock_guard lock(all.mutex);
  auto it = all.saving.find(group);
  if (requested || it == all.saving.end()) return false;
  it->second = true;
  return true;
}

void endSave(pid_t group) noexcept {
  LiveOffices& all = offices();
  std::lock_guard lock(all.mutex);
  if (auto it = all.saving.find(group); it != all.saving.end()) it->second = false;
  all.saveEnded.notify_all();
}

void abandonAll(std::chrono::milliseconds saveGrace) noexcept {
  LiveOffices& all = offices();
  std::unique_lock lock(all.mutex);
  requested = true;
  all.saveEnded.wait_for(lock, saveGrace, [&] {
    for (const auto& [group, saving] : all.saving)
      if (saving) return false;
    return true;
  });
  // The owners of these offices remove them from the list when they reap them, under this lock:
  // every group listed here still exists.
  for (const auto& [group, saving] : all.saving) killOfficeMembers(group);
}

}  // namespace live_offices

const OfficeModuleLinks& ownOfficeLinks() noexcept {
  static const OfficeModuleLinks links{terminationRequested, live_offices::add, live_offices::remove,
                                       live_offices::beginSave, live_offices::endSave};
  return links;
}

}  // namespace quenby

#pragma once
// Ending Quenby in order while an export may be running. No Qt, no UNO.
//
// SIGTERM, SIGINT and SIGHUP only wake a watcher thread (through a pipe), so they are handled even
// while the user-interface thread is blocked inside a call on the office. The watcher abandons
// every office in use: it waits for a save that is being written (the office writes the new bill
// beside the old one and renames it into place, so a save either completes or leaves the bill as
// it was, but an office ended mid-save leaves its half-written copy behind), then ends each
// office's process group. The blocked call returns, the export fails with ExportAbandoned and its
// normal clean-up removes the profile and the lock. Then the watcher asks the application to quit.

#include <sys/types.h>

#include <chrono>
#include <functional>

namespace quenby {

struct TerminationOptions {
  // How long a save in progress may hold back the end of its office. A stalled save is ended
  // sooner by its own deadline.
  std::chrono::milliseconds saveGrace{std::chrono::minutes(5)};
  // How long the application may take to quit after `quit` was called before the program is ended
  // by the signal's default action.
  std::chrono::milliseconds exitGrace{std::chrono::seconds(15)};
};

// Call once at start-up. `quit` runs on the watcher thread after the offices are ended: it must
// only ask the application to quit, e.g. by posting a quit to the event loop. Later signals
// are absorbed while the first one is handled.
void installTerminationHandling(std::function<void()> quit, TerminationOptions options = {});

// True once a termination signal has arrived: no new office is started from then on.
bool terminationRequested() noexcept;

// The offices of this process, for the watcher. Internal to the export library.
namespace live_offices {
// Registers an office's process group; false (nothing registered) when Quenby is ending.
bool add(pid_t group);
void remove(pid_t group) noexcept;
// Marks a save as being written; false (nothing marked) when Quenby is ending: start no save then.
bool beginSave(pid_t group);
void endSave(pid_t group) noexcept;
// Ends every registered office's process group, after the saves in progress (at most `saveGrace`).
void abandonAll(std::chrono::milliseconds saveGrace) noexcept;
}  // namespace live_offices

}  // namespace quenby

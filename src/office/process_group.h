#pragma once
// Process groups of our own: starting a program in one, its members (read from /proc), ending
// them, reaping. No UNO.

#include <sys/types.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

namespace quenby {

// Starts `args` (the program first) in a process group of its own, so that it and its children
// can be ended together and a terminal's Ctrl+C or hang-up for our group does not reach them; with
// default signal handling, whatever we ignore; reading `input` (-1: nothing), writing nowhere, and
// holding no other file of ours. `environment` replaces ours when given. Returns the process id,
// or 0 with the reason in `error`.
pid_t spawnInOwnGroup(std::vector<std::string> args, std::vector<std::string>* environment, int input,
                      int& error);

// Waits for a child of ours; kills it when it has not ended within `timeout`.
void reapWithin(pid_t child, std::chrono::milliseconds timeout) noexcept;

// Members of a process group that are still running (zombies excluded).
std::vector<pid_t> runningMembers(pid_t group);

// Kills the office itself: every member but the group's leader (the start process), which then
// reaps its child and ends by itself. A group with nothing but its leader loses the leader. The
// group is held still meanwhile, and the pipe sockets its members listened on are removed with
// them. Stopped members are continued, so that they can end. Reaps nothing.
void killOfficeMembers(pid_t group) noexcept;

// Kills the whole group at once, its pipe sockets with it. Reaps nothing.
void killOfficeGroup(pid_t group) noexcept;

// The paths of the OSL pipe sockets the members of a process group listen on.
std::set<std::string> officeSockets(pid_t group);

// The start time of a process (clock ticks after boot), 0 when it does not run.
unsigned long long processStartTime(pid_t pid);

}  // namespace quenby

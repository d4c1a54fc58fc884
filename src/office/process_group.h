#pragma once
// The processes of an office's process group, read from /proc. No UNO.

#include <sys/types.h>

#include <set>
#include <string>
#include <vector>

namespace quenby {

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

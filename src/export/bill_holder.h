#pragma once
// Who holds the bill open, as the spreadsheet's lock file beside it says. LibreOffice keeps
// ".~lock.<name>#" beside a workbook it has open, reading "<name>,<user>,<host>,<date>,<profile URL>;"
// and holds the workbook itself open while it does. A lock whose spreadsheet was killed stays
// behind and blocks every later save: it is a leftover when it names this machine and this user,
// and no process of this user holds the bill open (found by the file's device and inode, never by
// a name). No Qt, no UNO.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quenby {

// The spreadsheet's lock file of `workbook`.
std::filesystem::path lockFileOf(const std::filesystem::path& workbook);

// Whether a host name (as a lock file or an owner record holds it) names this machine.
bool isThisHost(std::string_view name);

struct BillHolder {
  std::string user;   // the system user the lock names
  std::string host;   // the machine it names
  std::string since;  // when it took the lock, "yyyy-mm-dd hh:mm" (as the lock says when not so)
  std::string profileUrl;
  bool thisHost = false;
  bool thisUser = false;  // the user this program runs as
};

// The holder `lockFile` names; nothing when there is no such file or it names no user and host.
std::optional<BillHolder> readBillHolder(const std::filesystem::path& lockFile);

// How the bill is held.
enum class BillHold {
  Free,      // no lock file
  Open,      // a process on this machine holds the bill open
  Unknown,   // a lock of another machine or user, or one that names no one: nothing here can tell
  Leftover,  // a lock of this user on this machine, and no process of this user has the bill open
};
BillHold billHold(const std::filesystem::path& workbook);

// Whether a process this program may look into holds `file` open (through /proc).
bool openInSomeProcess(const std::filesystem::path& file);

// "正被 <user> 在本机打开（自 <since> 起）", or on another computer "在电脑“<host>”上": who holds the
// bill, in words for the error that says it cannot be written.
std::string describeHolder(const BillHolder& holder);

// Removes the lock file of `workbook` when it still names `holder` exactly: a lock taken again
// meanwhile stays. True when it is gone.
bool removeLeftoverLock(const std::filesystem::path& workbook, const BillHolder& holder);

}  // namespace quenby

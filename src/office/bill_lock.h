#pragma once
// The lock files beside the bill. LibreOffice keeps ".~lock.<name>#" beside a workbook it has
// open, reading ",<user>,<host>,<date>,<profile URL>;"; Microsoft Office keeps "~$<name>". Here:
// whether another program holds the bill, removing the lock a killed office of ours left, and
// noting the lock our office took in its owner record, so that the watchdog removes it when the
// office ends (the watchdog, office_watchdog.sh, reads the same marks in shell once we are gone).
// No UNO.

#include <filesystem>
#include <string>

#include "export/bill_holder.h"

namespace quenby {

// Whether another program holds `workbook` open: LibreOffice's lock file `lockFile` or
// Microsoft Office's owner file is there.
bool lockedByOtherProgram(const std::filesystem::path& workbook, const std::filesystem::path& lockFile);

// Removes `lockFile` when one of our own private offices that was killed (say, with the program)
// left it: such a lock guards nothing and would block every later save. It is ours when it names
// a profile of ours on this host, and stale when that profile is gone or its owner has ended (the
// office is then ended and its leftovers removed). A lock of another program, of a live Quenby or
// of another host stays.
void removeStaleLockOfOurs(const std::filesystem::path& lockFile);

// Notes `lockFile` and the file it is (device and inode) in the owner record of `profile` when the
// office on that profile took it. The clean-up removes it when it is still ours and names this
// office, or when it holds no complete entry and is still that very file or empty: the office
// writes its lock anew on a save (in place, or as a new file), and one ended in the middle leaves it
// cut short or empty.
void noteLockIfOurs(const std::filesystem::path& lockFile, const std::string& profile);

}  // namespace quenby

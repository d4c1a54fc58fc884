#pragma once
// The names the office host's files share with each other and with the watchdog script. The
// script gets them at build time: src/office/CMakeLists.txt reads every constant below (a char
// array named k..., on one line) and fills in @kName@ in office_watchdog.sh.

namespace quenby {

// A private profile is a temporary folder whose name starts so.
inline constexpr char kProfilePrefix[] = "quenby-office-";
// The profile's owner record: lines of key=value, written by the owner, read by the sweep of
// abandoned offices and by the watchdog. Every value is percent-encoded (all bytes but ASCII
// letters, digits and "/._~-" as %XX, capitals), so that no value can end a line or start a key;
// a record with a line of any other form, an unknown key or a key twice (but socket) is no record.
inline constexpr char kOwnerRecord[] = "quenby-owner";
inline constexpr char kKeyOwner[] = "owner";      // our process id
inline constexpr char kKeyStarted[] = "started";  // its start time, clock ticks after boot
inline constexpr char kKeyHost[] = "host";
inline constexpr char kKeyGroup[] = "group";                   // the office's process group (its leader)
inline constexpr char kKeyGroupStarted[] = "group-started";    // the leader's start time
inline constexpr char kKeyOffice[] = "office";                 // soffice.bin
inline constexpr char kKeyOfficeStarted[] = "office-started";  // its start time
inline constexpr char kKeySocket[] = "socket";                 // a pipe socket the office listens on
inline constexpr char kKeyBill[] = "bill";                     // the workbook it opens
inline constexpr char kKeyLock[] = "lock";       // the workbook's lock file, once the office took it
inline constexpr char kKeyLockId[] = "lock-id";  // that file's device and inode: "<dev>:<ino>"

// The lock file LibreOffice keeps beside a workbook it has open: ".~lock.<name>#".
inline constexpr char kLockPrefix[] = ".~lock.";
inline constexpr char kLockSuffix[] = "#";
// The copy the office writes a save into beside the workbook: "lu<pid>...tmp".
inline constexpr char kSaveCopyPrefix[] = "lu";
inline constexpr char kSaveCopySuffix[] = ".tmp";
// The name of the sockets of the office's pipes.
inline constexpr char kPipeSocketPrefix[] = "OSL_PIPE_";

// What the owner tells the watchdog around a save: "saving <until> <inode>", then "saved".
inline constexpr char kWatchdogSaving[] = "saving";
inline constexpr char kWatchdogSaved[] = "saved";

}  // namespace quenby

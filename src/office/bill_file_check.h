#pragma once
// Why the office could not open or save the bill, told from what the system reports about the
// bill and its folder rather than guessed from the office's failure: a file system mounted
// read-only, a folder that may not be written, a read-only file, a disk without room for a saved
// copy. The office reports all of these as a bill it cannot load or a file it cannot store, which
// would send the user to replace a good bill. No UNO.

#include <filesystem>
#include <optional>
#include <string>

#include "calc/error.h"

namespace quenby {

// The step of the office that failed. Opening writes only the lock file beside the bill, so a
// read-only bill is no cause there; saving writes a whole new bill beside the old one.
enum class BillStep { Open, Save };

// Whether the bill may not be written: no write permission, or the file or its file system is
// read-only. Write bits are honoured even for root, who may write anyway: a file marked read-only
// stays so.
bool isReadOnlyFile(const std::filesystem::path& bill);

// The cause the system reports for a failed `step` on `bill`, in this order: the file system is
// read-only, the folder may not be written, (saving) the file is read-only, the disk has less room
// than saving a copy of the bill takes. Nothing when the system reports none of them. `shown`
// names the bill in the description.
std::optional<QuenbyError> billFailureCause(const std::filesystem::path& bill, const std::string& shown,
                                            BillStep step);

}  // namespace quenby

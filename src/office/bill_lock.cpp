#include "office/bill_lock.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "office/file_url.h"
#include "office/office_names.h"
#include "office/office_profile.h"

namespace quenby {

namespace fs = std::filesystem;

namespace {

// The lock names a profile of ours on this host that is gone or whose owner has ended.
bool isStaleLockOfOurs(const fs::path& lockFile) {
  const std::optional<BillHolder> holder = readBillHolder(lockFile);
  if (!holder || !holder->thisHost) return false;
  const std::optional<std::string> path = decodeFileUrl(holder->profileUrl);
  if (!path) return false;
  const fs::path profile = pathFromUtf8(*path);
  if (profile.filename().string().rfind(kProfilePrefix, 0) != 0) return false;
  std::error_code ec;
  return !fs::exists(fs::symlink_status(profile, ec)) || endAbandonedOffice(profile);
}

// The office whose private profile is `profile` holds this lock file.
bool lockNamesProfile(const fs::path& lockFile, const std::string& profile) {
  try {
    std::ifstream in(lockFile, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), {});
    return content.find("/" + pathFromUtf8(profile).filename().string() + ";") != std::string::npos;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool lockedByOtherProgram(const fs::path& workbook, const fs::path& lockFile) {
  std::error_code ec;
  fs::path officeOwner = workbook.parent_path() / (u8"~$" + workbook.filename().u8string());
  return fs::exists(lockFile, ec) || fs::exists(officeOwner, ec);
}

void removeStaleLockOfOurs(const fs::path& lockFile) {
  std::error_code ec;
  if (isStaleLockOfOurs(lockFile)) fs::remove(lockFile, ec);
}

void noteLockIfOurs(const fs::path& lockFile, const std::string& profile) {
  struct stat st {};
  if (::lstat(lockFile.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !lockNamesProfile(lockFile, profile))
    return;
  appendToOwnerRecord(profile, {{kKeyLock, utf8FromPath(lockFile)},
                                {kKeyLockId, std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino)}});
}

}  // namespace quenby

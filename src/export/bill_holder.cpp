#include "export/bill_holder.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace quenby {

namespace fs = std::filesystem;

namespace {

std::string hostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

std::string userName() {
  const passwd* entry = ::getpwuid(::geteuid());
  return entry && entry->pw_name ? entry->pw_name : std::string();
}

std::string readAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

// The fields of a lock entry: separated by ',', ended by ';', each of ",;\" escaped by '\'.
std::vector<std::string> lockFields(std::string_view entry) {
  std::vector<std::string> fields(1);
  for (size_t i = 0; i < entry.size(); ++i) {
    const char c = entry[i];
    if (c == '\\' && i + 1 < entry.size()) {
      fields.back() += entry[++i];
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c == ';') {
      break;
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// "dd.mm.yyyy hh:mm", the lock's own form, as "yyyy-mm-dd hh:mm"; anything else as it is.
std::string isoTime(const std::string& lockTime) {
  if (lockTime.size() < 10 || lockTime[2] != '.' || lockTime[5] != '.') return lockTime;
  return lockTime.substr(6, 4) + "-" + lockTime.substr(3, 2) + "-" + lockTime.substr(0, 2) +
         lockTime.substr(10);
}

}  // namespace

fs::path lockFileOf(const fs::path& workbook) {
  return workbook.parent_path() / (".~lock." + workbook.filename().string() + "#");
}

bool isThisHost(std::string_view name) {
  const std::string own = hostName();
  if (own.empty() || name.empty()) return false;
  return name == own ||
         (name.size() > own.size() && name.substr(0, own.size()) == own && name[own.size()] == '.');
}

std::optional<BillHolder> readBillHolder(const fs::path& lockFile) {
  std::error_code ec;
  if (!fs::is_regular_file(lockFile, ec)) return std::nullopt;
  const std::vector<std::string> fields = lockFields(readAll(lockFile));
  if (fields.size() < 4 || fields[1].empty() || fields[2].empty()) return std::nullopt;
  BillHolder holder;
  holder.user = fields[1];
  holder.host = fields[2];
  holder.since = isoTime(fields[3]);
  if (fields.size() > 4) holder.profileUrl = fields[4];
  holder.thisHost = isThisHost(holder.host);
  holder.thisUser = holder.user == userName();
  return holder;
}

bool openInSomeProcess(const fs::path& file) {
  struct stat target {};
  if (::stat(file.c_str(), &target) != 0) return false;
  DIR* proc = ::opendir("/proc");
  if (!proc) return false;
  bool open = false;
  while (!open) {
    const dirent* entry = ::readdir(proc);
    if (!entry) break;
    if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
    const std::string fds = std::string("/proc/") + entry->d_name + "/fd";
    DIR* dir = ::opendir(fds.c_str());
    if (!dir) continue;  // another user's process, or gone
    while (const dirent* fd = ::readdir(dir)) {
      struct stat st {};
      if (fd->d_name[0] == '.' || ::stat((fds + "/" + fd->d_name).c_str(), &st) != 0) continue;
      if (st.st_dev == target.st_dev && st.st_ino == target.st_ino) {
        open = true;
        break;
      }
    }
    ::closedir(dir);
  }
  ::closedir(proc);
  return open;
}

BillHold billHold(const fs::path& workbook) {
  const fs::path lock = lockFileOf(workbook);
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(lock, ec))) return BillHold::Free;
  if (openInSomeProcess(workbook)) return BillHold::Open;
  const std::optional<BillHolder> holder = readBillHolder(lock);
  return holder && holder->thisHost && holder->thisUser ? BillHold::Leftover : BillHold::Unknown;
}

std::string describeHolder(const BillHolder& holder) {
  const std::string where = holder.thisHost ? "在本机" : "在电脑“" + holder.host + "”上";
  std::string text = "正被用户 " + holder.user + " " + where + "打开";
  if (!holder.since.empty()) text += "（自 " + holder.since + " 起）";
  return text;
}

bool removeLeftoverLock(const fs::path& workbook, const BillHolder& holder) {
  const fs::path lock = lockFileOf(workbook);
  const std::optional<BillHolder> now = readBillHolder(lock);
  if (!now || now->user != holder.user || now->host != holder.host || now->since != holder.since ||
      now->profileUrl != holder.profileUrl)
    return false;
  std::error_code ec;
  return fs::remove(lock, ec) && !ec;
}

}  // namespace quenby

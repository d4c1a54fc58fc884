#include "office/office_profile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include "export/bill_holder.h"
#include "export/export_error.h"
#include "office/office_names.h"
#include "office/office_watchdog.h"
#include "office/process_group.h"
#include "profile_seed.h"  // kProfileSeed, generated from profile_seed.xcu

namespace quenby {

namespace fs = std::filesystem;

namespace {

std::string hostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

// The office's build id, as its version file holds it ("buildid=...").
std::string officeBuildId() {
  std::ifstream versionrc(QUENBY_LO_PROGRAM "/versionrc");
  for (std::string line; std::getline(versionrc, line);)
    if (line.rfind("buildid=", 0) == 0) return line.substr(8);
  return {};
}

// The office runs its graphics self-tests (several seconds) whenever it believes it was just
// upgraded, and a headless office never records the version it last ran. The seed marks a version
// no release reaches, which keeps each fresh profile from paying for them at every start.
void seedProfile(const std::string& dir) {
  std::error_code ec;
  fs::create_directories(fs::path(dir) / "user" / "extensions", ec);
  std::ofstream(fs::path(dir) / "user" / "registrymodifications.xcu") << kProfileSeed;
  // A profile whose extension folder does not name the office's build makes the office clear that
  // folder and start itself a second time (about half of its start-up).
  static const std::string buildId = officeBuildId();
  if (!buildId.empty()) std::ofstream(fs::path(dir) / "user" / "extensions" / "buildid") << buildId;
}

void writeOwnerRecord(const std::string& profile) {
  std::ofstream(fs::path(profile) / kOwnerRecord)
      << kKeyOwner << '=' << ::getpid() << '\n'
      << kKeyStarted << '=' << processStartTime(::getpid()) << '\n'
      << kKeyHost << '=' << hostName() << '\n';
}

struct OwnerRecord {
  pid_t owner = 0;
  unsigned long long started = 0;
  std::string host;
  pid_t group = 0;
};

std::optional<OwnerRecord> readOwnerRecord(const fs::path& profile) {
  std::ifstream in(profile / kOwnerRecord);
  if (!in) return std::nullopt;
  OwnerRecord record;
  for (std::string line; std::getline(in, line);) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == kKeyOwner) record.owner = static_cast<pid_t>(std::atol(value.c_str()));
    if (key == kKeyStarted) record.started = std::strtoull(value.c_str(), nullptr, 10);
    if (key == kKeyHost) record.host = value;
    if (key == kKeyGroup) record.group = static_cast<pid_t>(std::atol(value.c_str()));
  }
  if (record.owner <= 0 || record.host.empty()) return std::nullopt;
  return record;
}

// An owner has ended when its process is gone or its number now belongs to a later process.
// Without /proc nothing can be told, and nothing is taken for ended.
bool ownerEnded(const OwnerRecord& record) {
  if (processStartTime(::getpid()) == 0) return false;
  return processStartTime(record.owner) != record.started;
}

}  // namespace

std::string createProfile() {
  std::error_code ec;
  std::string pattern = (fs::temp_directory_path(ec) / (std::string(kProfilePrefix) + "XXXXXX")).string();
  if (ec) pattern = std::string("/tmp/") + kProfilePrefix + "XXXXXX";
  std::vector<char> dir(pattern.begin(), pattern.end());
  dir.push_back('\0');
  if (!::mkdtemp(dir.data()))
    throw QuenbyError(ExportError::SpreadsheetFailed,
                      "无法为电子表格程序创建临时目录 " + pattern + "：" + std::strerror(errno));
  const std::string profile = dir.data();
  writeOwnerRecord(profile);
  seedProfile(profile);
  fs::create_directory(profileTempDirectory(profile), ec);
  return profile;
}

std::string profileTempDirectory(const std::string& profile) { return profile + "/tmp"; }

void appendToOwnerRecord(const std::string& profile, const std::string& key, const std::string& value) {
  std::ofstream(fs::path(profile) / kOwnerRecord, std::ios::app) << key << '=' << value << '\n';
}

bool endAbandonedOffice(const fs::path& profile) {
  if (profile.filename().string().rfind(kProfilePrefix, 0) != 0) return false;
  const std::optional<OwnerRecord> record = readOwnerRecord(profile);
  if (!record || !isThisHost(record->host) || !ownerEnded(*record)) return false;
  if (!OfficeWatchdog::cleanUpAfter(record->group, profile.string())) {
    std::error_code ec;
    fs::remove_all(profile, ec);
  }
  return true;
}

void endAbandonedOffices() {
  std::error_code ec;
  for (fs::directory_iterator it(fs::temp_directory_path(ec), ec), end; !ec && it != end; it.increment(ec))
    if (it->is_directory(ec)) endAbandonedOffice(it->path());
}

}  // namespace quenby

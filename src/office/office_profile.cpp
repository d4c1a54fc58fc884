#include "office/office_profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <type_traits>
#include <vector>

#include "export/bill_holder.h"
#include "export/export_error.h"
#include "office/file_url.h"
#include "office/office_names.h"
#include "office/office_watchdog.h"
#include "office/process_group.h"
#include "profile_seed.h"  // kProfileSeed, generated from profile_seed.xcu

namespace quenby {

namespace fs = std::filesystem;

namespace {

// The largest owner record read: a few dozen lines, even with many sockets.
constexpr off_t kRecordLimit = 64 * 1024;

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

// A file descriptor closed when it goes.
struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
};

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// A new file `name` in the folder `dir` holding `bytes`, 0600 whatever the umask.
void writePrivateFile(int dir, const char* name, std::string_view bytes) {
  Fd file(::openat(dir, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (file.fd < 0) return;
  ::fchmod(file.fd, 0600);
  writeAll(file.fd, bytes);
}

// A new folder `name` in `dir`, 0700 whatever the umask; its descriptor (-1 when it failed).
int makePrivateFolder(int dir, const char* name) {
  if (::mkdirat(dir, name, 0700) != 0) return -1;
  const int made = ::openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (made >= 0) ::fchmod(made, 0700);
  return made;
}

// The office runs its graphics self-tests (several seconds) whenever it believes it was just
// upgraded, and a headless office never records the version it last ran. The seed marks a version
// no release reaches, which keeps each fresh profile from paying for them at every start.
void seedProfile(int profile) {
  Fd user(makePrivateFolder(profile, "user"));
  if (user.fd < 0) return;
  Fd extensions(makePrivateFolder(user.fd, "extensions"));
  writePrivateFile(user.fd, "registrymodifications.xcu", kProfileSeed);
  // A profile whose extension folder does not name the office's build makes the office clear that
  // folder and start itself a second time (about half of its start-up).
  static const std::string buildId = officeBuildId();
  if (!buildId.empty() && extensions.fd >= 0) writePrivateFile(extensions.fd, "buildid", buildId);
}

// The value percentEncode wrote; nullopt for anything it would not have written (a NUL included).
std::optional<std::string> decodeValue(std::string_view text) {
  auto digit = [](char h) {
    return h >= '0' && h <= '9' ? h - '0' : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
  };
  std::string value;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (isUrlPlain(c)) {
      value += text[i];
      continue;
    }
    if (c != '%' || i + 2 >= text.size()) return std::nullopt;
    const int high = digit(text[i + 1]), low = digit(text[i + 2]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
    value += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return value;
}

std::string recordLines(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string lines;
  for (const auto& [key, value] : entries) lines += key + '=' + percentEncode(value) + '\n';
  return lines;
}

void writeOwnerRecord(int profile) {
  writePrivateFile(profile, kOwnerRecord,
                   recordLines({{kKeyOwner, std::to_string(::getpid())},
                                {kKeyStarted, std::to_string(processStartTime(::getpid()))},
                                {kKeyHost, hostName()}}));
}

struct OwnerRecord {
  pid_t owner = 0;
  unsigned long long started = 0;
  std::string host;
  pid_t group = 0;
  unsigned long long groupStarted = 0;
};

// A number written in decimal digits only.
template <class Number>
std::optional<Number> number(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  Number n{};
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, n);
  if (error != std::errc() || at != end) return std::nullopt;
  return n;
}

// The record, read strictly: each line key=value of a key we write (each once, sockets aside),
// its value well encoded, the last line complete. nullopt for anything else.
std::optional<OwnerRecord> parseOwnerRecord(const std::string& text) {
  if (text.empty() || text.back() != '\n') return std::nullopt;
  static const std::set<std::string> known = {kKeyOwner,        kKeyStarted, kKeyHost,          kKeyGroup,
                                              kKeyGroupStarted, kKeyOffice,  kKeyOfficeStarted, kKeySocket,
                                              kKeyBill,         kKeyLock,    kKeyLockId};
  OwnerRecord record;
  std::set<std::string> seen;
  for (size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    const std::string_view line(text.data() + start, end - start);
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const std::string key(line.substr(0, eq));
    const std::optional<std::string> value = decodeValue(line.substr(eq + 1));
    if (!value || !known.count(key) || (key != kKeySocket && !seen.insert(key).second)) return std::nullopt;
    bool wellFormed = true;
    auto take = [&](auto& field) {
      const auto n = number<std::remove_reference_t<decltype(field)>>(*value);
      if (n) field = *n;
      wellFormed = n.has_value();
    };
    if (key == kKeyOwner) take(record.owner);
    if (key == kKeyStarted) take(record.started);
    if (key == kKeyHost) record.host = *value;
    if (key == kKeyGroup) take(record.group);
    if (key == kKeyGroupStarted) take(record.groupStarted);
    if (!wellFormed) return std::nullopt;
  }
  if (record.owner <= 0 || !seen.count(kKeyStarted) || record.host.empty() ||
      seen.count(kKeyGroup) != seen.count(kKeyGroupStarted))
    return std::nullopt;
  return record;
}

// The owner record in the profile folder `profile` (a descriptor), when it is a regular file of
// ours that no one else may write, not reached through a link.
std::optional<OwnerRecord> readOwnerRecord(int profile) {
  Fd file(::openat(profile, kOwnerRecord, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
      (st.st_mode & (S_IWGRP | S_IWOTH)) != 0 || st.st_size > kRecordLimit)
    return std::nullopt;
  std::string text(static_cast<size_t>(st.st_size), '\0');
  size_t got = 0;
  while (got < text.size()) {
    const ssize_t n = ::read(file.fd, text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    got += static_cast<size_t>(n);
  }
  return parseOwnerRecord(text);
}

// A folder of our effective user (root too compares with its own uid), mode 0700 exactly, opened
// without following a link; its descriptor, or -1.
int openOwnPrivateFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st {};
  if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
      (st.st_mode & 07777) == 0700)
    return fd;
  if (fd >= 0) ::close(fd);
  return -1;
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
  Fd folder(::open(profile.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (folder.fd >= 0) {
    ::fchmod(folder.fd, 0700);
    writeOwnerRecord(folder.fd);
    seedProfile(folder.fd);
    Fd temp(makePrivateFolder(folder.fd, "tmp"));
  }
  return profile;
}

std::string profileTempDirectory(const std::string& profile) { return profile + "/tmp"; }

void appendToOwnerRecord(const std::string& profile, const std::string& key, const std::string& value) {
  appendToOwnerRecord(profile, {{key, value}});
}

void appendToOwnerRecord(const std::string& profile,
                         const std::vector<std::pair<std::string, std::string>>& entries) {
  Fd record(::open((profile + "/" + kOwnerRecord).c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC));
  if (record.fd >= 0) writeAll(record.fd, recordLines(entries));
}

bool endAbandonedOffice(const fs::path& profile) {
  if (profile.filename().string().rfind(kProfilePrefix, 0) != 0) return false;
  std::optional<OwnerRecord> record;
  if (Fd folder(openOwnPrivateFolder(profile)); folder.fd >= 0) record = readOwnerRecord(folder.fd);
  if (!record || !isThisHost(record->host) || !ownerEnded(*record)) return false;
  if (!OfficeWatchdog::cleanUpAfter(record->group, record->groupStarted, profile.string())) {
    std::error_code ec;
    fs::remove_all(profile, ec);
  }
  return true;
}

void endAbandonedOffices() {
  std::error_code ec;
  // endAbandonedOffice looks at each folder itself, never through a link.
  for (fs::directory_iterator it(fs::temp_directory_path(ec), ec), end; !ec && it != end; it.increment(ec))
    endAbandonedOffice(it->path());
}

}  // namespace quenby

#include "export/office_process.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/string.hxx>

extern char** environ;

namespace quenby {

namespace fs = std::filesystem;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using Clock = std::chrono::steady_clock;

namespace {

const char kInstalledOffice[] = QUENBY_LO_PROGRAM "/soffice";

bool isExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The process's own UNO context, bootstrapped once. It is never destroyed: tearing UNO down
// during static destruction is not safe.
const Reference<css::uno::XComponentContext>& localContext() {
  static std::once_flag once;
  static Reference<css::uno::XComponentContext>* context = nullptr;
  std::call_once(once, [] {
    // The bridge writes to the office's pipe from its own threads. When an office ends or is
    // killed mid-call, that write must fail with EPIPE (and become an error of the export), not
    // end the whole program with SIGPIPE. Offices we start get the default handling back.
    ::signal(SIGPIPE, SIG_IGN);
    // Without URE_BOOTSTRAP the default bootstrap cannot find the URE's services.
    ::setenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:" QUENBY_LO_PROGRAM "/fundamentalrc", 0);
    context = new Reference<css::uno::XComponentContext>(cppu::defaultBootstrap_InitialComponentContext());
  });
  return *context;
}

std::string uniquePipeName() {
  static std::atomic<unsigned> counter{0};
  return "quenby_" + std::to_string(::getpid()) + "_" + std::to_string(++counter) + "_" +
         std::to_string(Clock::now().time_since_epoch().count() % 1000000007);
}

// Members of a process group that are still running (zombies excluded), read from /proc.
std::vector<pid_t> runningMembers(pid_t group) {
  std::vector<pid_t> members;
  DIR* proc = ::opendir("/proc");
  if (!proc) return members;
  while (dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    std::ifstream statFile(std::string("/proc/") + entry->d_name + "/stat");
    std::string stat;
    std::getline(statFile, stat);
    auto close = stat.rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    long parent = 0, pgrp = 0;
    if (std::sscanf(stat.c_str() + close + 1, " %c %ld %ld", &state, &parent, &pgrp) != 3) continue;
    if (pgrp == group && state != 'Z' && state != 'X') members.push_back(static_cast<pid_t>(pid));
  }
  ::closedir(proc);
  return members;
}

std::string lastSystemError() { return std::strerror(errno); }

// The office runs its graphics self-tests (several seconds) whenever it believes it was just
// upgraded, and a headless office never records the version it last ran. Marking a version no
// release reaches keeps each fresh profile from paying for them at every start.
const char kProfileSeed[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
    "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
    "<item oor:path=\"/org.openoffice.Setup/Product\"><prop oor:name=\"ooSetupLastVersion\" oor:op=\"fuse\">"
    "<value>99.9</value></prop></item>\n"
    "</oor:items>\n";

void seedProfile(const std::string& dir) {
  std::error_code ec;
  fs::create_directories(fs::path(dir) / "user", ec);
  std::ofstream(fs::path(dir) / "user" / "registrymodifications.xcu") << kProfileSeed;
}

bool namesUtf8(const char* locale) {
  std::string l = locale ? locale : "";
  for (char& c : l) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return l.find("utf-8") != std::string::npos || l.find("utf8") != std::string::npos;
}

// Our environment for the office, without our URE bootstrap override (it has its own), and with
// a UTF-8 character type: in the C locale the office cannot map a file URL holding Chinese
// characters, such as the bill's own name, to the file.
std::vector<std::string> officeEnvironment() {
  auto value = [](const char* name) -> const char* {
    const char* v = std::getenv(name);
    return v && *v ? v : nullptr;
  };
  const char* all = value("LC_ALL");
  const char* ctype = all ? all : value("LC_CTYPE") ? value("LC_CTYPE") : value("LANG");
  const bool utf8 = namesUtf8(ctype);
  std::vector<std::string> environment;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    if (entry.rfind("URE_BOOTSTRAP=", 0) == 0) continue;
    if (!utf8 && (entry.rfind("LC_ALL=", 0) == 0 || entry.rfind("LC_CTYPE=", 0) == 0)) continue;
    environment.push_back(std::move(entry));
  }
  if (!utf8) environment.push_back("LC_CTYPE=C.UTF-8");
  return environment;
}

}  // namespace

std::string findOffice(const std::string& explicitPath) {
  if (!explicitPath.empty()) return isExecutableFile(explicitPath) ? explicitPath : std::string();
  if (isExecutableFile(kInstalledOffice)) return kInstalledOffice;
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  for (const char* name : {"soffice", "libreoffice"}) {
    size_t start = 0;
    while (start <= dirs.size()) {
      size_t colon = dirs.find(':', start);
      if (colon == std::string::npos) colon = dirs.size();
      std::string dir = dirs.substr(start, colon - start);
      if (!dir.empty() && isExecutableFile(dir + "/" + name)) return dir + "/" + name;
      start = colon + 1;
    }
  }
  return {};
}

OUString toOUString(std::u16string_view text) {
  // UNO carries strings to the office as UTF-8, which has no form for a lone surrogate: one in a
  // text would break the connection at every attempt. It goes as U+FFFD, the mark of a character
  // that could not be kept.
  std::u16string sent(text);
  for (size_t i = 0; i < sent.size(); ++i) {
    const bool high = sent[i] >= 0xD800 && sent[i] <= 0xDBFF;
    const bool low = sent[i] >= 0xDC00 && sent[i] <= 0xDFFF;
    if (high && i + 1 < sent.size() && sent[i + 1] >= 0xDC00 && sent[i + 1] <= 0xDFFF)
      ++i;  // a pair: one character
    else if (high || low)
      sent[i] = u'\uFFFD';
  }
  return OUString(reinterpret_cast<const sal_Unicode*>(sent.data()), static_cast<sal_Int32>(sent.size()));
}

OUString utf8ToOUString(std::string_view text) {
  return OStringToOUString(OString(text.data(), static_cast<sal_Int32>(text.size())), RTL_TEXTENCODING_UTF8);
}

std::u16string fromOUString(const OUString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.getStr()), static_cast<size_t>(text.getLength()));
}

std::string utf8FromOUString(const OUString& text) {
  OString bytes = OUStringToOString(text, RTL_TEXTENCODING_UTF8);
  return std::string(bytes.getStr(), static_cast<size_t>(bytes.getLength()));
}

std::filesystem::path pathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8FromPath(const std::filesystem::path& path) {
  std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

OUString fileUrl(const std::string& absolutePathUtf8) {
  static const char hex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (unsigned char c : absolutePathUtf8) {
    // ASCII letters and digits by range: isalnum would follow the program's locale.
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       (c != 0 && std::strchr("/-._~", c) != nullptr);
    if (plain) {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += hex[c >> 4];
      url += hex[c & 15];
    }
  }
  return OUString::createFromAscii(url.c_str());
}

void raiseDisconnected(const std::string& doing) {
  throw QuenbyError(ExportError::SpreadsheetNoAnswer,
                    "电子表格程序（LibreOffice）在" + doing + "时中断了连接，请重新导出");
}

void raiseFailed(const std::string& doing, const OUString& message) {
  std::string description = "电子表格程序（LibreOffice）在" + doing + "时出错";
  if (!message.isEmpty()) description += "：" + utf8FromOUString(message);
  throw QuenbyError(ExportError::SpreadsheetFailed, description);
}

OfficeProcess::OfficeProcess(const OfficeOptions& options) : options_(options) {
  std::string soffice = findOffice(options.sofficePath);
  if (soffice.empty()) {
    std::string description = "没有找到电子表格程序 LibreOffice Calc";
    if (!options.sofficePath.empty()) description += "（" + options.sofficePath + "）";
    throw QuenbyError(ExportError::SpreadsheetMissing, description + "。请先安装 LibreOffice Calc，再导出账单");
  }
  try {
    spawn(soffice);
    connect(options.answerTimeout);
  } catch (...) {
    kill();
    throw;
  }
}

OfficeProcess::~OfficeProcess() { kill(); }

void OfficeProcess::spawn(const std::string& soffice) {
  std::error_code ec;
  std::string pattern = (fs::temp_directory_path(ec) / "quenby-office-XXXXXX").string();
  if (ec) pattern = "/tmp/quenby-office-XXXXXX";
  std::vector<char> dir(pattern.begin(), pattern.end());
  dir.push_back('\0');
  if (!::mkdtemp(dir.data()))
    throw QuenbyError(ExportError::SpreadsheetFailed, "无法为电子表格程序创建临时目录 " + pattern + "：" + lastSystemError());
  profileDir_ = dir.data();
  seedProfile(profileDir_);
  pipeName_ = uniquePipeName();

  std::vector<std::string> args = {
      soffice, "--headless", "--invisible", "--norestore", "--nologo", "--nodefault",
      "-env:UserInstallation=" + utf8FromOUString(fileUrl(profileDir_)),
      "--accept=pipe,name=" + pipeName_ + ";urp;StarOffice.ComponentContext"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::vector<std::string> environment = officeEnvironment();
  std::vector<char*> envp;
  for (auto& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawnattr_t attr;
  posix_spawn_file_actions_t files;
  posix_spawnattr_init(&attr);
  posix_spawn_file_actions_init(&files);
  // A process group of its own, so that the start script, the splash and soffice.bin can be
  // ended together; default signal handling, whatever the calling program ignores.
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&defaults, s);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  for (int fd : {0, 1, 2}) posix_spawn_file_actions_addopen(&files, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  pid_t pid = 0;
  int rc = ::posix_spawn(&pid, soffice.c_str(), &files, &attr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attr);
  if (rc != 0)
    throw QuenbyError(ExportError::SpreadsheetMissing,
                      "无法启动电子表格程序 LibreOffice Calc（" + soffice + "）：" + std::strerror(rc) +
                          "。请确认 LibreOffice Calc 已正确安装");
  pid_ = pid;
}

void OfficeProcess::connect(std::chrono::milliseconds timeout) {
  const std::string doing = "建立连接";
  Reference<css::uno::XComponentContext> context;
  try {
    context = localContext();
  } catch (const css::uno::Exception& e) {
    raiseFailed("初始化 UNO", e.Message);
  }
  unoCall(doing, [&] {
    auto connector = css::connection::Connector::create(context);
    const OUString description = utf8ToOUString("pipe,name=" + pipeName_);
    const auto deadline = Clock::now() + timeout;
    Reference<css::connection::XConnection> connection;
    for (;;) {
      try {
        connection = connector->connect(description);
        break;
      } catch (const css::connection::NoConnectException&) {
      }
      if (waitForExit(std::chrono::milliseconds(0)))
        throw QuenbyError(ExportError::SpreadsheetNoAnswer, "电子表格程序（LibreOffice）启动后立即退出了，没有响应");
      if (Clock::now() >= deadline)
        throw QuenbyError(ExportError::SpreadsheetNoAnswer,
                          "电子表格程序（LibreOffice）启动后 " +
                              std::to_string(std::chrono::duration_cast<std::chrono::seconds>(timeout).count()) +
                              " 秒内没有响应");
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    bridge_ = css::bridge::BridgeFactory::create(context)->createBridge(OUString(), "urp", connection, nullptr);
    Reference<css::uno::XComponentContext> remote(bridge_->getInstance("StarOffice.ComponentContext"),
                                                  UNO_QUERY_THROW);
    desktop_ = css::frame::Desktop::create(remote);
  });
}

void OfficeProcess::dropConnection() noexcept {
  try {
    desktop_.clear();
    if (Reference<css::lang::XComponent> bridge{bridge_, UNO_QUERY}; bridge.is()) bridge->dispose();
  } catch (...) {
  }
  try {
    bridge_.clear();
  } catch (...) {
  }
}

bool OfficeProcess::waitForExit(std::chrono::milliseconds timeout) noexcept {
  if (pid_ == 0) return true;
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    int status = 0;
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_ || (r < 0 && errno == ECHILD)) {
      pid_ = 0;
      return true;
    }
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void OfficeProcess::killGroup() noexcept {
  if (pid_ == 0) return;
  const pid_t group = pid_;
  // soffice.bin is a child of the splash process, not ours. Killing it first lets the splash
  // reap it before it ends, so that no zombie is handed to a parent that may never reap it.
  for (pid_t member : runningMembers(group))
    if (member != group) ::kill(member, SIGKILL);
  if (!waitForExit(std::chrono::milliseconds(1000))) {
    ::kill(-group, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = 0;
  }
  const auto deadline = Clock::now() + std::chrono::seconds(2);
  while (!runningMembers(group).empty() && Clock::now() < deadline) {
    ::kill(-group, SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void OfficeProcess::removeProfile() noexcept {
  if (profileDir_.empty()) return;
  std::error_code ec;
  fs::remove_all(profileDir_, ec);
  profileDir_.clear();
}

void OfficeProcess::terminate() noexcept {
  if (pid_ != 0) {
    bool agreed = true;
    try {
      if (desktop_.is()) agreed = desktop_->terminate();
    } catch (...) {
      // The office often drops the connection while it shuts down.
    }
    dropConnection();
    // An office that refuses to end (a listener vetoed) is not waited for.
    if (!agreed || !waitForExit(options_.quitTimeout)) killGroup();
  }
  dropConnection();
  removeProfile();
}

void OfficeProcess::kill() noexcept {
  killGroup();
  dropConnection();
  removeProfile();
}

}  // namespace quenby

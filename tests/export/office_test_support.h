#pragma once
// Shared by the export tests: a scratch directory holding a copy of the built bill template, and
// a look into /proc for office processes that should be gone.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "forwarding_host.h"
#include "office/libreoffice_host.h"

extern char** environ;

namespace quenby::test {

namespace fs = std::filesystem;

inline fs::path templatePath() { return fs::path(std::u8string(u8"" QUENBY_BILL_TEMPLATE)); }

inline std::string utf8(const fs::path& p) {
  std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

// The file's bytes; empty when it cannot be read, as a process's /proc entry whose process ended
// while it was read (the stream then throws from its buffer).
inline std::string fileBytes(const fs::path& p) {
  try {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  } catch (const std::exception&) {
    return {};
  }
}

// A temporary directory with the bill template copied in as 账单明细.xls.
class ScratchBill {
 public:
  ScratchBill() {
    std::string pattern = (fs::temp_directory_path() / "quenby-test-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    bill_ = dir_ / u8"账单明细.xls";
    fs::copy_file(templatePath(), bill_);
  }
  ~ScratchBill() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  const fs::path& dir() const { return dir_; }
  const fs::path& bill() const { return bill_; }
  std::string billUtf8() const { return utf8(bill_); }

 private:
  fs::path dir_;
  fs::path bill_;
};

// A fresh office on the scratch bill with `sheet` taken, ready for cells.
inline void openSheet(LibreOfficeHost& host, const ScratchBill& bill, const std::u16string& sheet) {
  host.newInstance();
  host.openWorkbook(bill.billUtf8());
  host.selectWorksheet(sheet);
}

// Points TMPDIR (where offices keep their private profiles) at `dir` while it lives.
class ScopedTmpdir {
 public:
  explicit ScopedTmpdir(const fs::path& dir) {
    const char* old = std::getenv("TMPDIR");
    had_ = old != nullptr;
    if (had_) old_ = old;
    fs::create_directories(dir);
    ::setenv("TMPDIR", dir.c_str(), 1);
  }
  ~ScopedTmpdir() { had_ ? ::setenv("TMPDIR", old_.c_str(), 1) : ::unsetenv("TMPDIR"); }

 private:
  bool had_ = false;
  std::string old_;
};

// Starts a program in a process group of its own; its standard output goes to `output` (-1: to
// /dev/null). `environment` entries ("NAME=value") replace or add to ours.
inline pid_t spawnProcess(const std::vector<std::string>& args, int output = -1,
                          const std::vector<std::string>& environment = {}) {
  std::vector<std::string> argStore = args, envStore = environment;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    bool replaced = false;
    for (const std::string& own : environment)
      replaced = replaced || entry.compare(0, own.find('=') + 1, own, 0, own.find('=') + 1) == 0;
    if (!replaced) envStore.push_back(entry);
  }
  std::vector<char*> argv, envp;
  for (auto& a : argStore) argv.push_back(a.data());
  for (auto& e : envStore) envp.push_back(e.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  posix_spawnattr_t attr;
  posix_spawn_file_actions_t files;
  posix_spawnattr_init(&attr);
  posix_spawn_file_actions_init(&files);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  if (output >= 0)
    posix_spawn_file_actions_adddup2(&files, output, 1);
  else
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&files, 3);
  pid_t pid = 0;
  const int rc = ::posix_spawnp(&pid, argv[0], &files, &attr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attr);
  return rc == 0 ? pid : 0;
}

// A stand-in office in a process group of its own: a shell (the group's leader, `arg` on its
// command line) whose child listens on a Unix socket at `socket`.
inline pid_t spawnListeningOffice(const std::string& socket, const std::string& arg) {
  return spawnProcess(
      {"sh", "-c",
       "python3 -c 'import socket, sys, time; s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); "
       "s.listen(); time.sleep(300)' \"$0\" & sleep 300; :",
       socket, arg});
}

// Polls `done` until it holds or `timeout` passes; returns its last answer.
inline bool eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// The live processes (zombies have no command line) with `needle` in their command line. Every
// office process carries its private profile directory there.
inline std::vector<pid_t> processesMentioning(const std::string& needle) {
  std::vector<pid_t> found;
  std::error_code ec;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string cmdline = fileBytes(it->path() / "cmdline");
    for (char& c : cmdline)
      if (c == '\0') c = ' ';
    if (cmdline.find(needle) != std::string::npos && std::to_string(::getpid()) != name)
      found.push_back(static_cast<pid_t>(std::stol(name)));
  }
  return found;
}

inline bool processMentions(const std::string& needle) { return !processesMentioning(needle).empty(); }

}  // namespace quenby::test

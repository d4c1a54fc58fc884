#include "office/process_group.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "office/office_names.h"

extern char** environ;

namespace quenby {

namespace {

// The fields of /proc/<pid>/stat after the command name, which may itself hold spaces.
std::string statFields(pid_t pid) {
  std::ifstream statFile("/proc/" + std::to_string(pid) + "/stat");
  std::string stat;
  std::getline(statFile, stat);
  const auto close = stat.rfind(')');
  return close == std::string::npos ? std::string() : stat.substr(close + 1);
}

// The socket inodes a process has open.
std::set<std::string> socketInodes(pid_t pid) {
  namespace fs = std::filesystem;
  std::set<std::string> inodes;
  std::error_code ec;
  for (fs::directory_iterator it("/proc/" + std::to_string(pid) + "/fd", ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string target = fs::read_symlink(it->path(), ec).string();
    if (!ec && target.rfind("socket:[", 0) == 0) inodes.insert(target.substr(8, target.size() - 9));
  }
  return inodes;
}

}  // namespace

pid_t spawnInOwnGroup(std::vector<std::string> args, std::vector<std::string>* environment, int input,
                      int& error) {
  std::vector<char*> argv, envp;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  if (environment) {
    for (auto& e : *environment) envp.push_back(e.data());
    envp.push_back(nullptr);
  }
  posix_spawnattr_t attr;
  posix_spawn_file_actions_t files;
  posix_spawnattr_init(&attr);
  posix_spawn_file_actions_init(&files);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&defaults, s);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  if (input >= 0)
    posix_spawn_file_actions_adddup2(&files, input, 0);
  else
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
  for (int fd : {1, 2}) posix_spawn_file_actions_addopen(&files, fd, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&files, 3);
  pid_t pid = 0;
  error = ::posix_spawn(&pid, argv[0], &files, &attr, argv.data(), environment ? envp.data() : environ);
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attr);
  return error == 0 ? pid : 0;
}

void reapWithin(pid_t child, std::chrono::milliseconds timeout) noexcept {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  while (::waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::vector<pid_t> runningMembers(pid_t group) {
  std::vector<pid_t> members;
  DIR* proc = ::opendir("/proc");
  if (!proc) return members;
  while (dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    char state = 0;
    long parent = 0, pgrp = 0;
    if (std::sscanf(statFields(static_cast<pid_t>(pid)).c_str(), " %c %ld %ld", &state, &parent, &pgrp) != 3)
      continue;
    if (pgrp == group && state != 'Z' && state != 'X') members.push_back(static_cast<pid_t>(pid));
  }
  ::closedir(proc);
  return members;
}

namespace {

// Holds the group still while `kill` ends what it ends: the office makes no socket we would miss,
// and the pipe sockets the group listened on (an office ended early in its start made them before
// its owner could note them) are removed once it is gone.
template <class Kill>
void killNotingSockets(pid_t group, Kill kill) noexcept {
  if (group <= 0) return;
  ::kill(-group, SIGSTOP);
  std::set<std::string> sockets;
  try {
    sockets = officeSockets(group);
  } catch (...) {
  }
  kill();
  ::kill(-group, SIGCONT);
  for (const std::string& path : sockets) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid())
      ::unlink(path.c_str());
  }
}

}  // namespace

void killOfficeMembers(pid_t group) noexcept {
  killNotingSockets(group, [group] {
    bool others = false;
    for (pid_t member : runningMembers(group))
      if (member != group) {
        ::kill(member, SIGKILL);
        others = true;
      }
    if (!others) ::kill(-group, SIGKILL);
  });
}

void killOfficeGroup(pid_t group) noexcept {
  killNotingSockets(group, [group] { ::kill(-group, SIGKILL); });
}

std::set<std::string> officeSockets(pid_t group) {
  namespace fs = std::filesystem;
  std::set<std::string> inodes;
  for (pid_t member : runningMembers(group)) inodes.merge(socketInodes(member));
  std::set<std::string> paths;
  if (inodes.empty()) return paths;
  // Num RefCount Protocol Flags Type St Inode Path
  std::ifstream table("/proc/net/unix");
  for (std::string line; std::getline(table, line);) {
    std::istringstream fields(line);
    std::string skip, inode, path;
    for (int i = 0; i < 6; ++i) fields >> skip;
    fields >> inode >> path;
    if (!path.empty() && inodes.count(inode) &&
        fs::path(path).filename().string().rfind(kPipeSocketPrefix, 0) == 0)
      paths.insert(path);
  }
  return paths;
}

unsigned long long processStartTime(pid_t pid) {
  // Field 22 of stat; the command name (field 2) is already cut off, so it is the 20th here.
  const std::string fields = statFields(pid);
  size_t at = 0;
  for (int field = 3; field < 22 && at != std::string::npos; ++field) at = fields.find(' ', at + 1);
  return at == std::string::npos ? 0 : std::strtoull(fields.c_str() + at + 1, nullptr, 10);
}

}  // namespace quenby

#include "export/process_group.h"

#include <dirent.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

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

}  // namespace

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
    if (std::sscanf(statFields(static_cast<pid_t>(pid)).c_str(), " %c %ld %ld", &state, &parent, &pgrp) != 3) continue;
    if (pgrp == group && state != 'Z' && state != 'X') members.push_back(static_cast<pid_t>(pid));
  }
  ::closedir(proc);
  return members;
}

void killOfficeMembers(pid_t group) noexcept {
  if (group <= 0) return;
  bool others = false;
  for (pid_t member : runningMembers(group))
    if (member != group) {
      ::kill(member, SIGKILL);
      others = true;
    }
  if (!others) ::kill(-group, SIGKILL);
  ::kill(-group, SIGCONT);
}

unsigned long long processStartTime(pid_t pid) {
  // Field 22 of stat; the command name (field 2) is already cut off, so it is the 20th here.
  const std::string fields = statFields(pid);
  size_t at = 0;
  for (int field = 3; field < 22 && at != std::string::npos; ++field) at = fields.find(' ', at + 1);
  return at == std::string::npos ? 0 : std::strtoull(fields.c_str() + at + 1, nullptr, 10);
}

}  // namespace quenby

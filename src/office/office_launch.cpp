#include "office/office_launch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>

#include "office/file_url.h"

extern char** environ;

namespace quenby {

namespace {

const char kInstalledOffice[] = QUENBY_LO_PROGRAM "/soffice";

bool isExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool namesUtf8(const char* locale) {
  std::string l = locale ? locale : "";
  for (char& c : l) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return l.find("utf-8") != std::string::npos || l.find("utf8") != std::string::npos;
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

std::string uniquePipeName() {
  static std::atomic<unsigned> counter{0};
  return "quenby_" + std::to_string(::getpid()) + "_" + std::to_string(++counter) + "_" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000007);
}

std::vector<std::string> officeEnvironment(const std::string& tempDir) {
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
    if (entry.rfind("URE_BOOTSTRAP=", 0) == 0 || entry.rfind("TMPDIR=", 0) == 0) continue;
    if (!utf8 && (entry.rfind("LC_ALL=", 0) == 0 || entry.rfind("LC_CTYPE=", 0) == 0)) continue;
    environment.push_back(std::move(entry));
  }
  if (!utf8) environment.push_back("LC_CTYPE=C.UTF-8");
  environment.push_back("TMPDIR=" + tempDir);
  return environment;
}

std::vector<std::string> officeCommand(const std::string& soffice, const std::string& profile,
                                       const std::string& pipeName) {
  return {"/bin/sh",
          "-c",
          "umask 077 && exec \"$0\" \"$@\"",
          soffice,
          "--headless",
          "--invisible",
          "--norestore",
          "--nologo",
          "--nodefault",
          "-env:UserInstallation=" + encodeFileUrl(profile),
          "--accept=pipe,name=" + pipeName + ";urp;StarOffice.ComponentContext"};
}

}  // namespace quenby

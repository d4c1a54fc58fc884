#pragma once
// What starting a private office takes: its start script, the environment it runs in and its
// command line (headless, on its own profile, listening on its own pipe). No UNO.

#include <string>
#include <vector>

namespace quenby {

// The office executable: an explicit path when it is executable, else the installed one, else
// "soffice" or "libreoffice" on the PATH. Empty when there is none.
std::string findOffice(const std::string& explicitPath);

// A pipe name no other office of this or another process uses.
std::string uniquePipeName();

// Our environment for the office, without our URE bootstrap override (it has its own), with
// a UTF-8 character type (in the C locale the office cannot map a file URL holding Chinese
// characters, such as the bill's own name, to the file), and with `tempDir` as its temporary
// folder, inside its profile, so that removing the profile removes the office's temporary files.
std::vector<std::string> officeEnvironment(const std::string& tempDir);

// The command line of an office on `profile` that listens on the pipe `pipeName`: /bin/sh sets the
// umask 077 and makes way for the office (posix_spawn cannot set a child's umask, and ours is the
// whole program's), so that its pipe sockets and files are the user's alone whatever our umask.
std::vector<std::string> officeCommand(const std::string& soffice, const std::string& profile,
                                       const std::string& pipeName);

}  // namespace quenby

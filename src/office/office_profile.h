#pragma once
// A private office profile: a temporary folder of ours (kProfilePrefix + six characters) holding
// the office's user installation, seeded so that the office starts at once, the office's own
// temporary folder, and the owner record. The record says whose the office is (our process, its
// start time, the host) and what the office holds (its process group, soffice.bin, its sockets,
// the bill, the bill's lock); the watchdog reads it, and so does the sweep that ends the offices
// of owners that have gone. The folder is 0700 and every file we write into it 0600, whatever the
// umask. No UNO.

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quenby {

// Makes a new profile in the temporary folder: the owner record first, so that a profile of ours
// always says whose it is, then the seed and the office's temporary folder. Raises
// SpreadsheetFailed when the folder cannot be made.
std::string createProfile();

// The office's temporary folder inside `profile`: removing the profile removes it too.
std::string profileTempDirectory(const std::string& profile);

// Adds `key`=`value` (a kKey... of office_names.h) to the profile's owner record, the value
// percent-encoded; several entries are written at once, so that the record never holds one
// without the others.
void appendToOwnerRecord(const std::string& profile, const std::string& key, const std::string& value);
void appendToOwnerRecord(const std::string& profile,
                         const std::vector<std::pair<std::string, std::string>>& entries);

// When `profile` is a private profile of ours whose owner has ended on this host, ends its office
// and removes what it left, and returns true. A profile of ours is a folder (not a symbolic link)
// of our effective user with mode 0700 exactly, holding a well-formed owner record, a regular
// file of ours that no one else may write. Never touches anything else, nor the profile of a live
// process or of another host.
bool endAbandonedOffice(const std::filesystem::path& profile);

// The same for every profile in the temporary folder: what earlier runs of ours left when they
// were killed.
void endAbandonedOffices();

}  // namespace quenby

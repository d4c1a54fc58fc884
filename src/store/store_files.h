#pragma once
// The store's folder and files on disk. They are the user's alone whatever the umask: the folders
// the store makes are 0700 and its files 0600, and a folder or file an older Quenby left open to
// others is closed at start. When they cannot be written, the cause is named in the user's words,
// found on the disk itself (SQLite's and the lock file's own failures often hide it).

#include <QString>
#include <optional>

namespace quenby::store {

// Makes `folder` and every missing folder above it, each 0700, and sets `folder` to 0700 (one
// made earlier too). False when `folder` is no folder afterwards.
bool makePrivateFolder(const QString& folder);

// Sets the file at `path` to 0600.
void makePrivateFile(const QString& path);

// Before SQLite opens the database at `path`: makes it an empty file of mode 0600 when there is
// none, so that the -wal and -shm files SQLite makes, which take the database's mode, are 0600
// too; sets the database and every file beside it whose name begins with the database's (its
// -wal and -shm, stores moved aside) to 0600. Returns the cause in words when `path` is a folder
// or no regular file: SQLite is not to open it.
std::optional<QString> prepareDatabaseFile(const QString& path);

// Why the store at `path`, in `folder`, cannot be written, in the user's words: a file where a
// folder should be, the database's path a folder or no regular file, a read-only disk, a folder
// that may not be written, a read-only database, a full disk with the bytes left; `otherwise`
// when none of these holds.
QString cannotWriteCause(const QString& folder, const QString& path, const QString& otherwise);

}  // namespace quenby::store

#pragma once
// Opening the store's database file on the calling thread, which then owns the connection:
// SQLite's settings (write-ahead log, full sync for a power cut, foreign keys, a short busy
// wait), the checks that the file is sound and not written by a newer Quenby, and the
// migrations to the current schema. The writer moves a damaged file aside; a newer Quenby's file
// is left exactly as it is (nothing is set or written before its version is read).

#include <QString>

namespace quenby::store {

enum class OpenResult {
  Ready,
  Damaged,  // not a database, or its pages do not hold together
  Newer,    // its schema version is beyond this program's
  Failed,   // cannot be opened or written (permissions, a full disk), or not yet set up
  Busy,     // another connection held the file past the wait (one setting it up at the same moment)
};

struct OpenOutcome {
  OpenResult result;
  QString reason;  // SQLite's words, for the message
};

// Opens connection `name` on `path`. On anything but Ready the connection is closed and removed.
OpenOutcome openDatabase(const QString& name, const QString& path);

// Opens connection `name` for the ledger's reads and deletes on a database the writer has set up
// already: no checks, no migrations, and LIKE set to tell capitals from small letters, as other
// databases do, so that only the searchable form's own folding decides (searchable.h). A file
// that does not exist is not made. On failure the connection is removed.
OpenOutcome openLedgerDatabase(const QString& name, const QString& path);
// The same for the records that travel to and from the yard's server (travel.h), with a larger
// page cache and checkpoints far apart for the many records of a first fetch.
OpenOutcome openTravelDatabase(const QString& name, const QString& path);

// The longest LIKE pattern SQLite matches, in bytes of UTF-8 (its compiled-in limit).
inline constexpr int kLikePatternBytes = 50'000;
void closeDatabase(const QString& name);

// Moves `path` and its -wal and -shm files aside to <path>.damaged-<local time>; returns the
// new name, or an empty string when the file cannot be moved.
QString moveAside(const QString& path);

}  // namespace quenby::store

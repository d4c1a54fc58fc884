#pragma once
// Store: the user's SQLite database of autosaved sheets, one file per user. A Store object is
// one run of the program: it holds the run's lock, keeps the newest snapshot of the run's
// sheets, and at start hands back the sheets of the last run that ended without the user's own
// exit. All database work happens on the store's own writer thread, which owns the connection;
// the caller's thread only hands over plain snapshots and, where it must, waits for a result.
//
// A Store is used from one thread, the one that made it (the UI thread).
//
// When the folder cannot be written, or the database was made by a newer Quenby (which is left
// exactly as it is), the store says so once (takeError) and does nothing after: saves are
// dropped, recovery finds nothing, records raise RecordFailed, and the program keeps running.
// The store's folders are 0700 and its files 0600, whatever the umask.

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "calc/error.h"
#include "store/records.h"
#include "store/snapshot.h"
#include "store/sql.h"

namespace quenby::store {

class Writer;

class Store {
 public:
  // ~/.local/share/Quenby/quenby.sqlite for the application name "Quenby".
  static QString defaultPath();

  // Opens (or makes) the database at `path` and takes this run's lock, on the store's thread:
  // returns at once, and every call below waits until both are done. A damaged database is
  // moved aside and a new one made (takeError says where); a newer Quenby's is not touched.
  // `busyGiveUp`: how long a write waits for another process writing the same file before it
  // fails (kBusyGiveUp but in tests).
  explicit Store(const QString& path = defaultPath(), std::chrono::milliseconds busyGiveUp = kBusyGiveUp);
  // Writes what is still pending, closes the database, ends the writer thread and releases the
  // lock. A store destroyed without markUserExit() leaves a run that the next start recovers.
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // This run's name in the store (its lock file is runs/<runId>.lock beside the database).
  const QString& runId() const { return runId_; }
  // The database file, as given.
  const QString& path() const { return path_; }
  // False when the folder could not be written: every call below then does nothing.
  bool isOpen() const;

  // Hands the snapshot to the writer and returns at once. Snapshots handed over faster than
  // they are written replace each other: only the newest is written. `written`, when given, runs
  // on the writer's thread once this snapshot is committed (not when it fails or is replaced).
  void save(Snapshot snapshot, std::function<void()> written = {});
  // Waits until everything handed over so far has been written (or has failed).
  void flush();
  // The user's own exit: writes what is pending, then marks the run so the next start is fresh,
  // adding `drafts` to the ledger in the same transaction (neither happens without the other).
  void markUserExit(const std::vector<LedgerRecord>& drafts = {});

  // Adds `record` to the ledger and waits until it is written; raises RecordFailed when it
  // cannot be (another process writing is waited for a while first).
  void record(const LedgerRecord& record);
  // The same without waiting: hands `record` to the writer and returns at once. `done` runs once
  // it is written (with nothing) or could not be (with RecordFailed): on the writer's thread, or
  // at once on this one when the store is not open.
  void recordSoon(const LedgerRecord& record, std::function<void(std::optional<QuenbyError>)> done);

  // At start: the sheets of the most recently saved other run, when that run is no longer
  // alive and did not end by the user's own exit, and no run recovered them yet. The run is
  // marked recovered and its sheets become this run's, so they are recovered once only.
  std::optional<Snapshot> recover();

  // A run that ended without the user's own exit, is no longer alive, and whose sheets no run
  // recovered: its last snapshot and when it was saved.
  struct StrandedRun {
    qint64 id = 0;
    qint64 savedAtMs = 0;  // ms since 1970-01-01 UTC
    Snapshot snapshot;
  };
  // At start, after recover(): every other run that recover() passes over although it ended
  // otherwise (it is not the most recent such run, or the most recent run ended by the user's
  // exit). Nothing typed there is to be stranded: keepAsDrafts keeps it in the ledger.
  std::vector<StrandedRun> stranded();
  // Adds `drafts` (those of run `runId`, maybe none) to the ledger and marks the run recovered, in
  // one transaction, so that a run's drafts are added once only; nothing happens when another
  // process did so first.
  void keepAsDrafts(qint64 runId, const std::vector<LedgerRecord>& drafts);

  // A failure not yet told to the user; each kind is told once per run.
  std::optional<QuenbyError> takeError();

  // Runs on the writer thread inside each save's transaction, just before the commit.
  void setBeforeCommit(std::function<void()> hook);
  // Runs on the writer thread after each commit that added records to the ledger (the yard's
  // sync is woken so, to send them at once). Set before records are written; may be empty.
  void setRecordsWritten(std::function<void()> hook);

 private:
  void recordsWritten();

  // Before the writer, which may run the hook until it ends.
  std::mutex hookMutex_;
  std::function<void()> recordsWritten_;
  QString runId_;
  QString path_;
  std::unique_ptr<Writer> writer_;
};

}  // namespace quenby::store

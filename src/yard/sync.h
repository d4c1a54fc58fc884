#pragma once
// Sync: the shared ledger's thread. It sends this office's records and deletions not yet
// acknowledged to the yard's server, in batches of one server transaction each, marking them sent
// in the store only after the commit; then it fetches the other offices' (and its own earlier)
// records and deletions after the store's cursor, writing each page and the cursor after it in one
// local transaction. It runs a round when woken (a record written) and every second; when the
// server cannot be reached it tries again after a pause that grows to half a minute. A kill at
// any moment loses nothing and doubles nothing: a batch sent but not marked is sent again and the
// server skips it; a page fetched but not written is fetched again.
//
// The window learns of changes through Events, called on the sync thread: turn them into queued
// calls. The status line's text is statusLine(status()).

#include <QDateTime>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "yard/server.h"

namespace quenby::yard {

struct SyncStatus {
  std::optional<QDateTime> lastSynced;  // the end of the last round that sent and fetched everything
  qint64 pending = 0;                   // records and deletions not yet acknowledged by the server
  Failure failure = Failure::None;      // why the last round failed
  QString reason;                       // the server's own words (or the store's)
};

// "已同步 14:05" (local time), "正在连接服务器…" before the first round, or on a failure
// "3 条账单待上传：无法连接服务器（<reason>）" and the like, naming a wrong password, a missing
// database, missing or newer tables, a role that is not this office's name.
QString statusLine(const SyncStatus& status);

struct SyncEvents {
  std::function<void(const SyncStatus&)> statusChanged;  // its line or its count changed
  std::function<void()> recordsFetched;                  // the ledger changed: an open one reads again
  // Tests only: after the server committed a batch, before the store marks it sent.
  std::function<void()> afterServerCommit;
};

struct SyncTiming {
  std::chrono::milliseconds poll{1000};        // a round this often when all is well
  std::chrono::milliseconds firstRetry{1000};  // the pause after a failure, doubled each time
  std::chrono::milliseconds longestRetry{30000};
  std::chrono::milliseconds exitWait{1000};  // the most the destructor waits for the thread
  int batch = 200;                           // entries per server transaction
  int page = 5000;                           // entries fetched per local transaction
};

class Sync {
 public:
  // Starts the thread for `server` and the store at `storePath` (made by the program's Store), for
  // the office `office` (store::thisOffice()), whose server role must bear that name.
  Sync(QString server, QString storePath, QString office, SyncEvents events, SyncTiming timing = {});
  // Ends the thread, waiting at most timing.exitWait: a thread still held by the network is left
  // to end with the process (what was not sent goes at the next start). No event is called after.
  ~Sync();
  Sync(const Sync&) = delete;
  Sync& operator=(const Sync&) = delete;

  // Runs a round soon (after a record was written).
  void wake();
  SyncStatus status() const;

  struct Shared;  // what the thread shares with this object (sync.cpp)

 private:
  std::shared_ptr<Shared> shared_;
};

}  // namespace quenby::yard

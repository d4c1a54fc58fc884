#pragma once
// The store's writer thread. It opens the database and owns the connection for its whole life;
// the caller's thread hands it the newest snapshot (a newer one replaces one not yet written)
// or a task to run and wait for. A pending snapshot is always written before the next task, so
// a task sees every save handed over before it. Failures are kept for the caller, each kind
// told once. The opening goes on while the caller's thread does other work (at the program's
// start, building the windows); what needs it done waits for it.

#include <QString>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <set>
#include <thread>

#include "calc/error.h"
#include "store/runs.h"
#include "store/snapshot.h"
#include "store/sql.h"
#include "store/store_error.h"
#include "threads/handoff.h"

namespace quenby::store {

class RunLock;

class Writer {
 public:
  // Starts the thread, which opens the database at `path` for run `token` and takes the run's lock.
  Writer(QString path, QString token, std::chrono::milliseconds busyGiveUp = kBusyGiveUp);
  // Writes what is pending, closes the database, joins the thread.
  ~Writer();

  // Waits until the opening is done; whether the database is open.
  bool isOpen() const;
  // Waits until the opening is done; why the database is not open, in words (empty when it is).
  QString closedReason() const;
  // A failure of SQLite in words, with its cause found on the disk when it could not write.
  QString cause(const SqlError& error) const;
  // `written`, when given, runs on the writer thread once this snapshot is committed; not when it
  // fails or a newer one replaces it first.
  void save(Snapshot snapshot, std::function<void()> written = {});
  // Runs `task` on the writer thread with the run's records, after any pending snapshot, and
  // returns at once. `task` handles its own failures.
  void later(std::function<void(Runs&)> task);

  // Runs `fn` on the writer thread with the run's records, after any pending snapshot, and
  // returns its result. Its SqlError becomes a reported failure of kind `onFailure`.
  template <class R>
  R call(std::function<R(Runs&)> fn, StoreError onFailure);

  void report(const QuenbyError& error);
  std::optional<QuenbyError> takeError();

  const QString& folder() const { return folder_; }
  std::chrono::milliseconds busyGiveUp() const { return busyGiveUp_; }

 private:
  void run();
  bool openOnThread();
  bool write(const Snapshot& snapshot);  // whether it was committed
  void post(std::function<void()> task);
  void reportSqlFailure(StoreError kind, const SqlError& error);

  const QString path_;
  const QString folder_;
  const QString token_;
  const std::chrono::milliseconds busyGiveUp_;
  bool open_ = false;
  QString closedReason_;  // written by the opening, read once it is done

  Handoff handoff_;  // guards what follows
  bool started_ = false;
  bool stopping_ = false;
  std::optional<Snapshot> pending_;
  std::function<void()> pendingWritten_;
  std::deque<std::function<void()>> tasks_;
  std::deque<QuenbyError> errors_;
  std::set<int> told_;

  // The writer thread's own.
  std::unique_ptr<RunLock> lock_;
  std::optional<Runs> runs_;

  std::thread thread_;  // last: started once everything above exists
};

template <class R>
R Writer::call(std::function<R(Runs&)> fn, StoreError onFailure) {
  std::packaged_task<R()> task([this, &fn, onFailure]() -> R {
    try {
      return fn(*runs_);
    } catch (const SqlError& e) {
      reportSqlFailure(onFailure, e);
      return R();
    }
  });
  std::future<R> result = task.get_future();
  post([&task] { task(); });
  return result.get();
}

}  // namespace quenby::store

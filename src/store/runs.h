#pragma once
// The records of runs and their snapshots, read and written through one connection on the
// thread that opened it. Each write is one transaction whose first statement writes, so that
// two processes on the same file take turns instead of failing on a stale read.

#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "store/schema.h"
#include "store/snapshot.h"

namespace quenby::store {

class Runs {
 public:
  // `token` names this process's run; its row is made by its first write.
  Runs(QSqlDatabase db, QString token);

  // Replaces this run's snapshot with `snapshot`.
  void save(const Snapshot& snapshot);
  // Marks the user's own exit; `alsoInTransaction` runs in the same transaction first, so that
  // what it writes and the mark are kept together or not at all.
  void markUserExit(const std::function<void()>& alsoInTransaction = {});

  struct Other {
    qint64 id;
    QString token;
    RunState state;
    qint64 savedAtMs;  // its last save (its start when it saved nothing), ms since 1970 UTC
  };
  // The other runs, the most recently saved or ended first.
  std::vector<Other> othersLatestFirst() const;

  // Marks run `id` recovered and copies its snapshot into this run, in one transaction, so that
  // the sheets stay in the store whatever happens next; returns them. Nothing when another
  // process recovered the run first.
  std::optional<Snapshot> adopt(qint64 id);
  // Marks run `id` recovered with `alsoInTransaction` run in the same transaction, so that what it
  // writes and the mark are kept together or not at all; false, and nothing written, when another
  // process recovered the run first.
  bool markRecovered(qint64 id, const std::function<void()>& alsoInTransaction);
  // The last snapshot of run `id`.
  Snapshot snapshot(qint64 id) const;

  // Removes the runs that ended by the user's exit or were recovered, except the newest `keep`
  // runs. Runs that ended otherwise stay.
  void prune(int keep);

  // Runs inside each save's transaction just before the commit (tests stop the writer there).
  void setBeforeCommit(std::function<void()> hook) { beforeCommit_ = std::move(hook); }

  const QSqlDatabase& database() const { return db_; }

 private:
  qint64 ensureRow();  // inside a transaction
  void touch(qint64 id, const QString& shown);
  void insertFields(qint64 id, const Snapshot& snapshot);
  bool markRecoveredInTransaction(qint64 id);

  QSqlDatabase db_;
  QString token_;
  std::function<void()> beforeCommit_;
};

}  // namespace quenby::store

#pragma once
// Each run holds a lock file of its own, runs/<token>.lock in the store's folder, for as long as
// it lives, so that no other run takes it for ended. QLockFile writes the process id into the
// file and holds an advisory lock on it: a lock left behind by a dead process is taken over,
// a live holder's never is, however old (no stale time: age proves nothing). The folder runs/ is
// 0700 and each lock file 0600.

#include <QLockFile>
#include <QString>
#include <memory>

namespace quenby::store {

class RunLock {
 public:
  RunLock(const QString& folder, const QString& token);
  // Takes this run's lock; on failure returns false and says why in `reason`.
  bool lock(QString& reason);

  // Whether the run `token` is alive, that is, its process still holds its lock. A dead run's
  // leftover lock file is removed.
  static bool alive(const QString& folder, const QString& token);
  // Removes the lock files that dead runs left behind (a crash, a power cut).
  static void removeLeftovers(const QString& folder);

 private:
  static QString path(const QString& folder, const QString& token);

  QString folder_;
  std::unique_ptr<QLockFile> file_;
};

}  // namespace quenby::store

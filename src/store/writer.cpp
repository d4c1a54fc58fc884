#include "store/writer.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <chrono>
#include <utility>

#include "store/database.h"
#include "store/run_lock.h"
#include "store/store_files.h"

namespace quenby::store {

namespace {

// Runs that ended by the user's exit or were recovered are kept for the newest this many runs.
constexpr int kRunsKept = 10;

}  // namespace

Writer::Writer(QString path, QString token, std::chrono::milliseconds busyGiveUp)
    : path_(QFileInfo(path).absoluteFilePath()),
      folder_(QFileInfo(path).absolutePath()),
      token_(std::move(token)),
      busyGiveUp_(busyGiveUp),
      thread_([this] { run(); }) {}

Writer::~Writer() {
  handoff_.change([this] { stopping_ = true; });
  thread_.join();
}

bool Writer::isOpen() const {
  Handoff::Lock lock = handoff_.lock();
  handoff_.wait(lock, [this] { return started_; });
  return open_;
}

void Writer::run() {
  const bool opened = openOnThread();
  handoff_.change([&] {
    open_ = opened;
    started_ = true;
  });

  Handoff::Lock lock = handoff_.lock();
  for (;;) {
    handoff_.wait(lock, [this] { return pending_ || !tasks_.empty() || stopping_; });
    if (pending_) {
      Snapshot snapshot = std::move(*pending_);
      pending_.reset();
      std::function<void()> written = std::exchange(pendingWritten_, nullptr);
      lock.unlock();
      if (opened && write(snapshot) && written) written();
      lock.lock();
    } else if (!tasks_.empty()) {
      std::function<void()> task = std::move(tasks_.front());
      tasks_.pop_front();
      lock.unlock();
      task();
      lock.lock();
    } else {
      break;
    }
  }
  lock.unlock();
  if (opened) {
    runs_.reset();
    closeDatabase(token_);
  }
  lock_.reset();
}

bool Writer::openOnThread() {
  const auto cannotWrite = [this](const QString& otherwise) {
    closedReason_ = cannotWriteCause(folder_, path_, otherwise);
    report(storeError(StoreError::FolderUnwritable, QDir::toNativeSeparators(folder_), closedReason_));
    return false;
  };
  if (!makePrivateFolder(folder_)) return cannotWrite(QStringLiteral("无法建立该文件夹"));
  lock_ = std::make_unique<RunLock>(folder_, token_);
  QString reason;
  if (!lock_->lock(reason)) return cannotWrite(reason);
  RunLock::removeLeftovers(folder_);
  // A damaged file is moved aside once; a second failure is the folder's. Two runs setting the
  // file up at the same moment can find each other in the way where SQLite does not wait (a wait
  // there could deadlock): the one refused tries again.
  const auto start = std::chrono::steady_clock::now();
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (const std::optional<QString> notAFile = prepareDatabaseFile(path_)) return cannotWrite(*notAFile);
    OpenOutcome outcome = openDatabase(token_, path_);
    while (outcome.result == OpenResult::Busy && std::chrono::steady_clock::now() - start < busyGiveUp_) {
      std::this_thread::sleep_for(kBusyRetry);
      outcome = openDatabase(token_, path_);
    }
    switch (outcome.result) {
      case OpenResult::Ready:
        runs_.emplace(QSqlDatabase::database(token_, false), token_);
        try {
          runs_->prune(kRunsKept);
        } catch (const SqlError&) {
          // Another process is writing: a later start prunes.
        }
        return true;
      case OpenResult::Newer:
        // A newer Quenby's store is left exactly as it is: this run works on without it.
        closedReason_ = QStringLiteral("由较新版本的 Quenby 写入，") + outcome.reason;
        report(storeError(StoreError::NewerVersion, QDir::toNativeSeparators(path_), outcome.reason));
        return false;
      case OpenResult::Busy:
        closedReason_ = outcome.reason;
        report(storeError(StoreError::FolderUnwritable, QDir::toNativeSeparators(folder_), outcome.reason));
        return false;
      case OpenResult::Failed:
        return cannotWrite(outcome.reason);
      case OpenResult::Damaged:
        break;
    }
    const QString aside = moveAside(path_);
    if (aside.isEmpty()) return cannotWrite(outcome.reason);
    report(storeError(StoreError::Damaged, QDir::toNativeSeparators(aside), outcome.reason));
    reason = outcome.reason;
  }
  return cannotWrite(reason);
}

bool Writer::write(const Snapshot& snapshot) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    try {
      runs_->save(snapshot);
      return true;
    } catch (const SqlError& e) {
      if (!e.busy() || std::chrono::steady_clock::now() - start > busyGiveUp_) {
        reportSqlFailure(StoreError::SaveFailed, e);
        return false;
      }
    }
    Handoff::Lock lock = handoff_.lock();
    if (pending_) return false;  // a newer snapshot is waiting: it is written instead
    handoff_.waitFor(lock, kBusyRetry, [this] { return pending_.has_value(); });
    if (pending_) return false;
  }
}

void Writer::save(Snapshot snapshot, std::function<void()> written) {
  std::optional<Snapshot> replaced;
  handoff_.change([&] {
    replaced.swap(pending_);
    pending_.emplace(std::move(snapshot));
    written.swap(pendingWritten_);
  });
  // What was replaced is freed here, outside the lock.
}

void Writer::later(std::function<void(Runs&)> task) {
  post([this, task = std::move(task)] { task(*runs_); });
}

void Writer::post(std::function<void()> task) {
  handoff_.change([&] { tasks_.push_back(std::move(task)); });
}

void Writer::reportSqlFailure(StoreError kind, const SqlError& error) {
  report(storeError(kind, QDir::toNativeSeparators(path_), cause(error)));
}

QString Writer::cause(const SqlError& error) const {
  return error.cannotWrite() ? cannotWriteCause(folder_, path_, error.reason()) : error.reason();
}

QString Writer::closedReason() const {
  Handoff::Lock lock = handoff_.lock();
  handoff_.wait(lock, [this] { return started_; });
  return closedReason_;
}

void Writer::report(const QuenbyError& error) {
  const Handoff::Lock lock = handoff_.lock();
  if (told_.insert(error.number()).second) errors_.push_back(error);
}

std::optional<QuenbyError> Writer::takeError() {
  Handoff::Lock lock = handoff_.lock();
  handoff_.wait(lock, [this] { return started_; });  // the opening's failures too
  if (errors_.empty()) return std::nullopt;
  QuenbyError error = errors_.front();
  errors_.pop_front();
  return error;
}

}  // namespace quenby::store

#include "store/store.h"

#include <QDir>
#include <QStandardPaths>
#include <QUuid>

#include "store/run_lock.h"
#include "store/sql.h"
#include "store/store_error.h"
#include "store/writer.h"

namespace quenby::store {

QString Store::defaultPath() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
      .filePath(QStringLiteral("quenby.sqlite"));
}

Store::Store(const QString& path, std::chrono::milliseconds busyGiveUp)
    : runId_(QUuid::createUuid().toString(QUuid::WithoutBraces)),
      path_(path),
      writer_(std::make_unique<Writer>(path, runId_, busyGiveUp)) {}

Store::~Store() = default;

bool Store::isOpen() const { return writer_->isOpen(); }

void Store::save(Snapshot snapshot, std::function<void()> written) {
  if (isOpen()) writer_->save(std::move(snapshot), std::move(written));
}

void Store::flush() {
  if (isOpen()) writer_->call<bool>([](Runs&) { return true; }, StoreError::SaveFailed);
}

void Store::markUserExit(const std::vector<LedgerRecord>& drafts) {
  if (!isOpen()) return;
  writer_->call<bool>(
      [&drafts](Runs& runs) {
        runs.markUserExit([&] {
          for (const LedgerRecord& draft : drafts) insertRecord(runs.database(), draft);
        });
        return true;
      },
      StoreError::SaveFailed);
  if (!drafts.empty()) recordsWritten();
}

namespace {

// Adds `record` in a transaction of its own, waiting a while for another process that writes;
// the failure in words.
std::optional<QString> insertWaiting(Runs& runs, const Writer& writer, const LedgerRecord& record) {
  try {
    retryWhileBusy(
        [&] {
          Transaction transaction(runs.database());
          insertRecord(runs.database(), record);
          transaction.commit();
        },
        writer.busyGiveUp());
    return std::nullopt;
  } catch (const SqlError& e) {
    return writer.cause(e);
  }
}

}  // namespace

void Store::record(const LedgerRecord& record) {
  const QString where = QDir::toNativeSeparators(path_);
  if (!isOpen()) throw storeError(StoreError::RecordFailed, where, writer_->closedReason());
  const Writer& writer = *writer_;
  const std::optional<QString> failure = writer_->call<std::optional<QString>>(
      [&record, &writer](Runs& runs) { return insertWaiting(runs, writer, record); },
      StoreError::RecordFailed);
  if (!failure) recordsWritten();
  if (failure) throw storeError(StoreError::RecordFailed, where, *failure);
}

void Store::recordSoon(const LedgerRecord& record, std::function<void(std::optional<QuenbyError>)> done) {
  const QString where = QDir::toNativeSeparators(path_);
  if (!isOpen()) return done(storeError(StoreError::RecordFailed, where, writer_->closedReason()));
  writer_->later([this, record, done = std::move(done), where, &writer = *writer_](Runs& runs) {
    const std::optional<QString> failure = insertWaiting(runs, writer, record);
    if (!failure) recordsWritten();
    done(failure ? std::optional(storeError(StoreError::RecordFailed, where, *failure)) : std::nullopt);
  });
}

std::optional<Snapshot> Store::recover() {
  if (!isOpen()) return std::nullopt;
  const QString folder = writer_->folder();
  return writer_->call<std::optional<Snapshot>>(
      [&folder](Runs& runs) -> std::optional<Snapshot> {
        // The most recent run decides: a user's exit there means a fresh start, even when an
        // older run ended otherwise (its sheets stay in the store). Live runs are passed over.
        for (const Runs::Other& other : runs.othersLatestFirst()) {
          if (other.state != RunState::Open) return std::nullopt;
          if (!RunLock::alive(folder, other.token)) return runs.adopt(other.id);
        }
        return std::nullopt;
      },
      StoreError::ReadFailed);
}

std::vector<Store::StrandedRun> Store::stranded() {
  if (!isOpen()) return {};
  const QString folder = writer_->folder();
  return writer_->call<std::vector<StrandedRun>>(
      [&folder](Runs& runs) {
        std::vector<StrandedRun> stranded;
        for (const Runs::Other& other : runs.othersLatestFirst())
          if (other.state == RunState::Open && !RunLock::alive(folder, other.token))
            stranded.push_back({other.id, other.savedAtMs, runs.snapshot(other.id)});
        return stranded;
      },
      StoreError::ReadFailed);
}

void Store::keepAsDrafts(qint64 runId, const std::vector<LedgerRecord>& drafts) {
  if (!isOpen()) return;
  writer_->call<bool>(
      [runId, &drafts, giveUp = writer_->busyGiveUp()](Runs& runs) {
        retryWhileBusy(
            [&] {
              runs.markRecovered(runId, [&] {
                for (const LedgerRecord& draft : drafts) insertRecord(runs.database(), draft);
              });
            },
            giveUp);
        return true;
      },
      StoreError::SaveFailed);
  if (!drafts.empty()) recordsWritten();
}

std::optional<QuenbyError> Store::takeError() { return writer_->takeError(); }

void Store::setBeforeCommit(std::function<void()> hook) {
  if (!isOpen()) return;
  writer_->call<bool>(
      [&hook](Runs& runs) {
        runs.setBeforeCommit(std::move(hook));
        return true;
      },
      StoreError::SaveFailed);
}

}  // namespace quenby::store

namespace quenby::store {

void Store::setRecordsWritten(std::function<void()> hook) {
  const std::lock_guard lock(hookMutex_);
  recordsWritten_ = std::move(hook);
}

void Store::recordsWritten() {
  std::function<void()> hook;
  {
    const std::lock_guard lock(hookMutex_);
    hook = recordsWritten_;
  }
  if (hook) hook();
}

}  // namespace quenby::store

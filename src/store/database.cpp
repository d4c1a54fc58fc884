#include "store/database.h"

#include <QDateTime>
#include <QFile>
#include <QSqlDatabase>
#include <functional>

#include "store/schema.h"
#include "store/sql.h"

namespace quenby::store {

namespace {

// Writers of other processes are waited for this long: at start a little longer, for the
// migrations of a process that starts at the same moment; later only for a commit in progress.
constexpr int kSetUpBusyMs = 1000;
constexpr int kBusyMs = 20;
constexpr int kLogBytesKept = 1 << 20;

void migrate(const QSqlDatabase& db) {
  for (const Migration& m : migrations()) {
    // Immediate: a second process starting at the same moment waits, then sees the new version.
    exec(db, QStringLiteral("BEGIN IMMEDIATE"));
    try {
      if (scalar(db, QStringLiteral("PRAGMA user_version")).toInt() < m.version) {
        for (const QString& statement : m.statements) exec(db, statement);
        if (m.rewrite) m.rewrite(db);
        exec(db, QStringLiteral("PRAGMA user_version = %1").arg(m.version));
      }
      exec(db, QStringLiteral("COMMIT"));
    } catch (const SqlError&) {
      QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
      throw;
    }
  }
}

QString versionsOf(int version) {
  return QStringLiteral("版本 %1，本程序只认识到版本 %2").arg(version).arg(schemaVersion());
}

OpenOutcome setUp(const QSqlDatabase& db) {
  // Read before anything is set: a newer Quenby's store is left exactly as it is.
  const int version = scalar(db, QStringLiteral("PRAGMA user_version")).toInt();
  if (version > schemaVersion()) return {OpenResult::Newer, versionsOf(version)};
  if (scalar(db, QStringLiteral("PRAGMA journal_mode = WAL")).toString() != QLatin1String("wal"))
    return {OpenResult::Failed, QStringLiteral("文件系统不支持预写日志")};
  exec(db, QStringLiteral("PRAGMA synchronous = FULL"));
  // A checkpoint every 128 pages keeps the log near half a megabyte while the program runs
  // (SQLite's default lets it grow to four) and the limit gives back what one large save added.
  exec(db, QStringLiteral("PRAGMA wal_autocheckpoint = 128"));
  exec(db, QStringLiteral("PRAGMA journal_size_limit = %1").arg(kLogBytesKept));
  exec(db, QStringLiteral("PRAGMA foreign_keys = ON"));
  const QString check = scalar(db, QStringLiteral("PRAGMA quick_check")).toString();
  if (check != QLatin1String("ok")) throw SqlError(static_cast<int>(SqlCode::Corrupt), check);
  if (version < schemaVersion()) migrate(db);
  exec(db, QStringLiteral("PRAGMA busy_timeout = %1").arg(kBusyMs));
  return {OpenResult::Ready, {}};
}

}  // namespace

namespace {

// A connection named `name` on `path`, handed to `setUp`; closed again unless it is ready.
OpenOutcome openConnection(const QString& name, const QString& path,
                           const std::function<OpenOutcome(const QSqlDatabase&)>& setUp) {
  OpenOutcome outcome;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kSetUpBusyMs));
    try {
      if (!db.open()) raise(db.lastError());
      outcome = setUp(db);
    } catch (const SqlError& e) {
      outcome = {e.damaged() ? OpenResult::Damaged
                 : e.busy()  ? OpenResult::Busy
                             : OpenResult::Failed,
                 e.reason()};
    }
  }
  if (outcome.result != OpenResult::Ready) closeDatabase(name);
  return outcome;
}

}  // namespace

OpenOutcome openDatabase(const QString& name, const QString& path) {
  return openConnection(name, path, setUp);
}

OpenOutcome openLedgerDatabase(const QString& name, const QString& path) {
  // The ledger reads the store the program made: it never makes one.
  if (!QFile::exists(path))
    return {OpenResult::Failed, SqlError(static_cast<int>(SqlCode::CannotOpen), {}).reason()};
  return openConnection(name, path, [](const QSqlDatabase& db) -> OpenOutcome {
    exec(db, QStringLiteral("PRAGMA case_sensitive_like = ON"));
    const int version = scalar(db, QStringLiteral("PRAGMA user_version")).toInt();
    if (version > schemaVersion())
      return {OpenResult::Newer, QStringLiteral("由较新版本的 Quenby 写入，") + versionsOf(version)};
    if (version != schemaVersion()) return {OpenResult::Failed, versionsOf(version)};
    return {OpenResult::Ready, {}};
  });
}

OpenOutcome openTravelDatabase(const QString& name, const QString& path) {
  OpenOutcome outcome = openLedgerDatabase(name, path);
  if (outcome.result != OpenResult::Ready) return outcome;
  try {
    // A first fetch writes a million records at random places of the UUID index: its pages stay
    // here rather than being read again for each page of records (64 MB at most, as used).
    exec(QSqlDatabase::database(name, false), QStringLiteral("PRAGMA cache_size = -65536"));
    // Its commits need not reach the disk at once: a power cut takes back the last pages fetched
    // together with their cursor (they are fetched again) or a mark of records sent (they are sent
    // again, and the server skips them); the log keeps every transaction whole.
    exec(QSqlDatabase::database(name, false), QStringLiteral("PRAGMA synchronous = NORMAL"));
    // Its pages write the same pages of the indexes again and again: a checkpoint every 64 MB of
    // log copies each of them once for many pages, where one every 4 MB (SQLite's default) took
    // a third of a first fetch. The limit gives the space back once a checkpoint has run.
    exec(QSqlDatabase::database(name, false), QStringLiteral("PRAGMA wal_autocheckpoint = 16384"));
    exec(QSqlDatabase::database(name, false),
         QStringLiteral("PRAGMA journal_size_limit = %1").arg(kLogBytesKept));
  } catch (const SqlError& e) {
    closeDatabase(name);
    return {OpenResult::Failed, e.reason()};
  }
  return outcome;
}

void closeDatabase(const QString& name) {
  QSqlDatabase::database(name, false).close();
  QSqlDatabase::removeDatabase(name);
}

QString moveAside(const QString& path) {
  const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
  QString aside = path + QStringLiteral(".damaged-") + stamp;
  for (int n = 2; QFile::exists(aside); ++n)
    aside = path + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
  if (!QFile::rename(path, aside)) return {};
  for (const QLatin1String suffix : {QLatin1String("-wal"), QLatin1String("-shm")})
    if (QFile::exists(path + suffix)) QFile::rename(path + suffix, aside + suffix);
  return aside;
}

}  // namespace quenby::store

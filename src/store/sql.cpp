#include "store/sql.h"

#include <thread>

namespace quenby::store {

SqlError::SqlError(int code, const QString& message)
    : std::runtime_error(message.toStdString()), code_(code), message_(message) {}

QString SqlError::reason() const {
  switch (static_cast<SqlCode>(code_)) {
    case SqlCode::Busy:
    case SqlCode::Locked:
      return QStringLiteral("另一个 Quenby 程序正在写入");
    case SqlCode::ReadOnly:
      return QStringLiteral("文件只读");
    case SqlCode::IoError:
      return QStringLiteral("磁盘读写出错");
    case SqlCode::Corrupt:
    case SqlCode::NotADatabase:
      return QStringLiteral("文件内容不完整或不是数据库");
    case SqlCode::Full:
      return QStringLiteral("磁盘已满");
    case SqlCode::CannotOpen:
      return QStringLiteral("无法打开文件");
  }
  return message_;
}

void raise(const QSqlError& error) {
  // Qt passes SQLite's result code as the native code; the low byte is the primary code.
  const int code = error.nativeErrorCode().toInt() & 0xff;
  const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
  throw SqlError(code, text);
}

QSqlQuery exec(const QSqlDatabase& db, const QString& sql, std::initializer_list<QVariant> values) {
  return exec(db, sql, QVariantList(values));
}

QSqlQuery exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  QSqlQuery query(db);
  query.setForwardOnly(true);
  if (!query.prepare(sql)) raise(query.lastError());
  for (const QVariant& v : values) query.addBindValue(v);
  if (!query.exec()) raise(query.lastError());
  return query;
}

void retryWhileBusy(const std::function<void()>& work, std::chrono::milliseconds giveUp) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    try {
      work();
      return;
    } catch (const SqlError& e) {
      if (!e.busy() || std::chrono::steady_clock::now() - start > giveUp) throw;
    }
    std::this_thread::sleep_for(kBusyRetry);
  }
}

QVariant scalar(const QSqlDatabase& db, const QString& sql, std::initializer_list<QVariant> values) {
  QSqlQuery query = exec(db, sql, values);
  return query.next() ? query.value(0) : QVariant();
}

// As statements rather than through QSqlDatabase::commit(), which drops SQLite's result code.
Transaction::Transaction(QSqlDatabase db) : db_(std::move(db)) { exec(db_, QStringLiteral("BEGIN")); }

Transaction::~Transaction() {
  if (open_) QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
}

void Transaction::commit() {
  exec(db_, QStringLiteral("COMMIT"));
  open_ = false;
}

}  // namespace quenby::store

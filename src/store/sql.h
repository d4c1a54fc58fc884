#pragma once
// A thin layer over Qt SQL for the store: statements that throw on failure with SQLite's result
// code, and a transaction that rolls back unless committed. The SQL the store runs through it is
// plain (CREATE TABLE, INSERT, UPDATE, DELETE, SELECT); SQLite's own pragmas stay in the set-up.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <chrono>
#include <functional>
#include <initializer_list>
#include <stdexcept>

namespace quenby::store {

// SQLite's primary result codes the store tells apart.
enum class SqlCode : int {
  Busy = 5,
  Locked = 6,
  ReadOnly = 8,
  IoError = 10,
  Corrupt = 11,
  Full = 13,
  CannotOpen = 14,
  NotADatabase = 26,
};

class SqlError : public std::runtime_error {
 public:
  SqlError(int code, const QString& message);
  int code() const noexcept { return code_; }
  const QString& message() const noexcept { return message_; }
  bool is(SqlCode c) const noexcept { return code_ == static_cast<int>(c); }
  bool damaged() const noexcept { return is(SqlCode::Corrupt) || is(SqlCode::NotADatabase); }
  bool busy() const noexcept { return is(SqlCode::Busy) || is(SqlCode::Locked); }
  // The file could not be written or opened (permissions, a full or read-only disk).
  bool cannotWrite() const noexcept {
    return is(SqlCode::ReadOnly) || is(SqlCode::IoError) || is(SqlCode::Full) || is(SqlCode::CannotOpen);
  }
  // The failure in the user's words where the code says enough, else SQLite's own.
  QString reason() const;

 private:
  int code_;
  QString message_;
};

[[noreturn]] void raise(const QSqlError& error);

// Prepares `sql`, binds `values` in order and runs it; throws SqlError.
QSqlQuery exec(const QSqlDatabase& db, const QString& sql, std::initializer_list<QVariant> values = {});
// The first column of the first row of `sql`, or an invalid QVariant when there is no row.
QVariant scalar(const QSqlDatabase& db, const QString& sql, std::initializer_list<QVariant> values = {});
// The same with values known only at run time.
QSqlQuery exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values);

// Runs `work`, one transaction, again while another process holds the database, for at most
// `giveUp`; throws the last SqlError.
// While another process writes: how often a refused write or opening is tried again, and how long.
inline constexpr std::chrono::milliseconds kBusyRetry{50};
inline constexpr std::chrono::milliseconds kBusyGiveUp{2000};

void retryWhileBusy(const std::function<void()>& work, std::chrono::milliseconds giveUp);

class Transaction {
 public:
  explicit Transaction(QSqlDatabase db);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void commit();

 private:
  QSqlDatabase db_;
  bool open_ = true;
};

}  // namespace quenby::store

#pragma once
// A statement prepared once through SQLite's own C interface, on the handle of a Qt SQL
// connection, for what runs once for each of a page's records: binding a value through QSqlQuery
// costs more than SQLite's insert of it. It runs inside whatever transaction the connection has
// open, and throws SqlError with SQLite's result code like the rest of the store.

#include <QSqlDatabase>
#include <QVariant>
#include <initializer_list>

struct sqlite3;
struct sqlite3_stmt;

namespace quenby::store {

class Statement {
 public:
  Statement(const QSqlDatabase& db, const char* sql);  // throws SqlError
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Binds `values` in order (an invalid or null QVariant binds NULL; a null QString too, as Qt
  // SQL does), runs the statement and resets it; true when it gave a row. Throws SqlError.
  bool run(std::initializer_list<QVariant> values);
  // The rowid of the connection's last insert.
  qint64 lastInsertId() const;

 private:
  [[noreturn]] void fail() const;

  sqlite3* db_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
};

}  // namespace quenby::store

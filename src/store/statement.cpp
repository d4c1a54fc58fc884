#include "store/statement.h"

#include <sqlite3.h>
#include <QSqlDriver>

#include "store/sql.h"

namespace quenby::store {

Statement::Statement(const QSqlDatabase& db, const char* sql) {
  const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
  if (qstrcmp(handle.typeName(), "sqlite3*") != 0 || !handle.constData())
    throw SqlError(static_cast<int>(SqlCode::CannotOpen), QStringLiteral("连接不是 SQLite 的"));
  db_ = *static_cast<sqlite3* const*>(handle.constData());
  if (!db_) throw SqlError(static_cast<int>(SqlCode::CannotOpen), QStringLiteral("连接未打开"));
  if (sqlite3_prepare_v2(db_, sql, -1, &statement_, nullptr) != SQLITE_OK) {
    const SqlError error(sqlite3_extended_errcode(db_) & 0xff, QString::fromUtf8(sqlite3_errmsg(db_)));
    sqlite3_finalize(statement_);
    throw error;
  }
}

Statement::~Statement() { sqlite3_finalize(statement_); }

void Statement::fail() const {
  const SqlError error(sqlite3_extended_errcode(db_) & 0xff, QString::fromUtf8(sqlite3_errmsg(db_)));
  sqlite3_reset(statement_);
  throw error;
}

bool Statement::run(std::initializer_list<QVariant> values) {
  int i = 0;
  int rc = SQLITE_OK;
  for (const QVariant& v : values) {
    ++i;
    switch (v.isNull() ? QMetaType::UnknownType : v.typeId()) {
      case QMetaType::UnknownType:
        rc = sqlite3_bind_null(statement_, i);
        break;
      case QMetaType::Int:
      case QMetaType::LongLong:
      case QMetaType::UInt:
      case QMetaType::Bool:
        rc = sqlite3_bind_int64(statement_, i, v.toLongLong());
        break;
      case QMetaType::QByteArray: {
        const QByteArray& bytes = *static_cast<const QByteArray*>(v.constData());
        rc = sqlite3_bind_blob64(statement_, i, bytes.constData(), static_cast<sqlite3_uint64>(bytes.size()),
                                 SQLITE_TRANSIENT);
        break;
      }
      default: {
        const QString text = v.toString();
        rc = text.isNull()
                 ? sqlite3_bind_null(statement_, i)
                 : sqlite3_bind_text16(statement_, i, text.utf16(),
                                       static_cast<int>(text.size() * sizeof(QChar)), SQLITE_TRANSIENT);
      }
    }
    if (rc != SQLITE_OK) fail();
  }
  rc = sqlite3_step(statement_);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) fail();
  sqlite3_reset(statement_);
  return rc == SQLITE_ROW;
}

qint64 Statement::lastInsertId() const { return sqlite3_last_insert_rowid(db_); }

}  // namespace quenby::store

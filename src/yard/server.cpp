#include "yard/server.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>
#include <cstdio>

namespace quenby::yard {

namespace {

// A dead network holds a connection or a statement this long at most (seconds, milliseconds).
constexpr int kConnectTimeoutS = 3;
constexpr int kStatementTimeoutMs = 5000;

// Appended after the user's own: these win, so that no setting can make the thread wait longer.
const QString kTimeouts = QStringLiteral(
    " connect_timeout=%1 keepalives=1 keepalives_idle=5 keepalives_interval=2 keepalives_count=2"
    " tcp_user_timeout=%2 application_name=quenby");

// The server's schema, one migration per version; each runs in one transaction with its number.
const std::vector<std::vector<QString>>& serverMigrations() {
  static const std::vector<std::vector<QString>> migrations = {
      {
          QStringLiteral("CREATE TABLE quenby_schema (version integer NOT NULL)"),
          QStringLiteral("INSERT INTO quenby_schema (version) VALUES (0)"),
          QStringLiteral("CREATE TABLE quenby_entries ("
                         " seq bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,"
                         " xid xid8 NOT NULL DEFAULT pg_current_xact_id(),"
                         " office text NOT NULL DEFAULT current_user,"
                         " deletion boolean NOT NULL,"
                         " uuid uuid NOT NULL,"
                         " at_ms bigint,"
                         " sheet text,"
                         " state integer,"
                         " fields bytea,"
                         " UNIQUE (uuid, deletion),"
                         " CHECK (deletion OR (at_ms IS NOT NULL AND sheet IS NOT NULL AND state IS NOT NULL"
                         " AND fields IS NOT NULL)))"),
          QStringLiteral("CREATE INDEX quenby_entries_by_xid ON quenby_entries (xid, seq)"),
          // The server, not the row, says who sent it and in which transaction; an office deletes its
          // own records only.
          QStringLiteral(
              "CREATE FUNCTION quenby_stamp() RETURNS trigger LANGUAGE plpgsql AS $$\n"
              "BEGIN\n"
              "  NEW.office := current_user;\n"
              "  NEW.xid := pg_current_xact_id();\n"
              "  IF NEW.deletion AND EXISTS (SELECT 1 FROM quenby_entries e WHERE e.uuid = NEW.uuid\n"
              "      AND NOT e.deletion AND e.office <> current_user) THEN\n"
              "    RAISE EXCEPTION 'quenby: % may not delete a record of another office', current_user\n"
              "      USING ERRCODE = '42501';\n"
              "  END IF;\n"
              "  RETURN NEW;\n"
              "END $$"),
          QStringLiteral("CREATE TRIGGER quenby_stamp BEFORE INSERT ON quenby_entries"
                         " FOR EACH ROW EXECUTE FUNCTION quenby_stamp()"),
      },
  };
  return migrations;
}

QString plain(QString text) { return text.simplified(); }

// A connection's failure, told apart by the server's words (libpq gives no code for them).
Failure connectFailure(const QString& text) {
  if (text.contains(QLatin1String("password authentication failed")) ||
      text.contains(QLatin1String("no password supplied")) ||
      text.contains(QLatin1String("authentication failed")) ||
      (text.contains(QLatin1String("role \"")) && text.contains(QLatin1String("does not exist"))))
    return Failure::Refused;
  if (text.contains(QLatin1String("database \"")) && text.contains(QLatin1String("does not exist")))
    return Failure::NoDatabase;
  return Failure::Unreachable;
}

Failure statementFailure(const QSqlError& error) {
  const QString code = error.nativeErrorCode();
  if (code == QLatin1String("42P01")) return Failure::NoTables;
  if (code.isEmpty() || code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57")))
    return Failure::Unreachable;
  return Failure::ServerFailed;
}

}  // namespace

ServerError::ServerError(Failure failure, const QString& reason)
    : std::runtime_error(reason.toStdString()), failure_(failure), reason_(reason) {}

Server::Server(const QString& server)
    : connection_(QStringLiteral("yard-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
  QString reason;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_);
    if (!db.isValid()) {
      reason = QStringLiteral("缺少 Qt 的 PostgreSQL 驱动 QPSQL（软件包 libqt6sql6-psql）");
    } else {
      db.setConnectOptions(server + kTimeouts.arg(kConnectTimeoutS).arg(kStatementTimeoutMs));
      if (db.open()) {
        QSqlQuery set(db);
        // A sender that dies in a transaction must not hold back every office's fetch for long.
        // The fetch's page and cursor are parameters: a plan made for them, not a generic one,
        // reads the page from the index alone.
        if (set.exec(QStringLiteral("SET statement_timeout = %1").arg(kStatementTimeoutMs)) &&
            set.exec(QStringLiteral("SET plan_cache_mode = force_custom_plan")) &&
            set.exec(
                QStringLiteral("SET idle_in_transaction_session_timeout = %1").arg(2 * kStatementTimeoutMs)))
          return;
        reason = plain(set.lastError().databaseText());
      } else {
        reason = plain(db.lastError().databaseText());
      }
    }
  }
  QSqlDatabase::removeDatabase(connection_);
  throw ServerError(connectFailure(reason), reason);
}

Server::~Server() {
  QSqlDatabase::database(connection_, false).close();
  QSqlDatabase::removeDatabase(connection_);
}

int Server::schemaVersion() {
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  QSqlQuery query(db);
  if (!query.exec(QStringLiteral("SELECT to_regclass('quenby_schema') IS NOT NULL")) || !query.next())
    throw ServerError(statementFailure(query.lastError()), plain(query.lastError().databaseText()));
  if (!query.value(0).toBool()) return 0;
  if (!query.exec(QStringLiteral("SELECT MAX(version) FROM quenby_schema")) || !query.next())
    throw ServerError(statementFailure(query.lastError()), plain(query.lastError().databaseText()));
  return query.value(0).toInt();
}

void Server::checkSchema() {
  const int version = schemaVersion();
  if (version == kServerSchemaVersion) return;
  const QString versions =
      QStringLiteral("版本 %1，本程序使用版本 %2").arg(version).arg(kServerSchemaVersion);
  if (version == 0) throw ServerError(Failure::NoTables, QStringLiteral("服务器上还没有 Quenby 的表"));
  throw ServerError(version > kServerSchemaVersion ? Failure::NewerSchema : Failure::OlderSchema, versions);
}

QString Server::setUp() {
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  const int version = schemaVersion();
  if (version > kServerSchemaVersion)
    throw ServerError(
        Failure::NewerSchema,
        QStringLiteral("服务器上的表由较新版本的 Quenby 建立（版本 %1，本程序只认识到版本 %2），未做任何改动")
            .arg(version)
            .arg(kServerSchemaVersion));
  if (version == kServerSchemaVersion)
    return QStringLiteral("服务器上的表已是版本 %1，无需改动。").arg(version);
  QStringList done;
  for (int v = version + 1; v <= kServerSchemaVersion; ++v) {
    if (!db.transaction())
      throw ServerError(statementFailure(db.lastError()), plain(db.lastError().databaseText()));
    QSqlQuery query(db);
    bool ok = true;
    for (const QString& statement : serverMigrations()[v - 1])
      if (!(ok = query.exec(statement))) break;
    if (ok) ok = query.exec(QStringLiteral("UPDATE quenby_schema SET version = %1").arg(v));
    if (!ok || !db.commit()) {
      const QSqlError error = ok ? db.lastError() : query.lastError();
      db.rollback();
      throw ServerError(statementFailure(error), plain(error.databaseText()));
    }
    done << QStringLiteral("已把服务器上的表升级到版本 %1。").arg(v);
  }
  return done.join(QLatin1Char('\n'));
}

void Server::send(const std::vector<store::TravellingEntry>& entries) {
  QSqlDatabase db = QSqlDatabase::database(connection_, false);
  if (!db.transaction())
    throw ServerError(statementFailure(db.lastError()), plain(db.lastError().databaseText()));
  QSqlQuery insert(db);
  bool ok =
      insert.prepare(QStringLiteral("INSERT INTO quenby_entries (deletion, uuid, at_ms, sheet, state, fields)"
                                    " VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (uuid, deletion) DO NOTHING"));
  for (const store::TravellingEntry& e : entries) {
    if (!ok) break;
    insert.bindValue(0, e.deletion);
    insert.bindValue(1, e.uuid);
    if (e.deletion) {
      insert.bindValue(2, QVariant(QMetaType::fromType<qint64>()));
      insert.bindValue(3, QVariant(QMetaType::fromType<QString>()));
      insert.bindValue(4, QVariant(QMetaType::fromType<int>()));
      insert.bindValue(5, QVariant(QMetaType::fromType<QByteArray>()));
    } else {
      insert.bindValue(2, e.atMs);
      insert.bindValue(3, e.sheet);
      insert.bindValue(4, e.state);
      insert.bindValue(5, e.fields);
    }
    ok = insert.exec();
  }
  if (!ok || !db.commit()) {
    const QSqlError error = ok ? db.lastError() : insert.lastError();
    db.rollback();
    throw ServerError(statementFailure(error), plain(error.databaseText()));
  }
}

Server::Page Server::fetch(const store::FetchCursor& cursor, int limit) {
  QSqlQuery query(QSqlDatabase::database(connection_, false));
  query.setForwardOnly(true);
  // One statement, one snapshot: every transaction below its xmin has ended, and the snapshot sees
  // what each of them committed. The order is the index's, by the xid itself (not by its text).
  const bool ok = query.prepare(QStringLiteral(
      "SELECT e.xid::text AS xid_text, e.seq, e.office, e.deletion, e.uuid::text AS uuid_text, e.at_ms, "
      "e.sheet,"
      " e.state, e.fields FROM quenby_entries e"
      " WHERE e.xid < pg_snapshot_xmin(pg_current_snapshot()) AND (e.xid, e.seq) > (?::text::xid8, ?)"
      " ORDER BY e.xid, e.seq LIMIT ?"));
  if (ok) {
    query.addBindValue(cursor.afterXid);
    query.addBindValue(cursor.afterSeq);
    query.addBindValue(limit);
  }
  if (!ok || !query.exec())
    throw ServerError(statementFailure(query.lastError()), plain(query.lastError().databaseText()));
  Page page{{}, cursor};
  while (query.next()) {
    page.after = {query.value(0).toString(), query.value(1).toLongLong()};
    page.entries.push_back({query.value(3).toBool(), query.value(4).toString(), query.value(2).toString(),
                            query.value(5).toLongLong(), query.value(6).toString(), query.value(7).toInt(),
                            query.value(8).toByteArray()});
  }
  return page;
}

QString Server::role() {
  QSqlQuery query(QSqlDatabase::database(connection_, false));
  if (!query.exec(QStringLiteral("SELECT current_user")) || !query.next()) return {};
  return query.value(0).toString();
}

int setUpServer(const QString& server) {
  if (server.trimmed().isEmpty()) {
    std::fputs(
        "quenby: 没有指定服务器：请在命令行给出连接串，或在 ~/.config/Quenby/Quenby.conf 的 [yard] 中设置 "
        "server=\n",
        stderr);
    return 1;
  }
  try {
    Server connection(server);
    const QString done = connection.setUp();
    std::fputs((QStringLiteral("服务器（角色 %1）：").arg(connection.role()) + done + QLatin1Char('\n'))
                   .toUtf8()
                   .constData(),
               stdout);
    return 0;
  } catch (const ServerError& e) {
    std::fputs((QStringLiteral("quenby: ") + e.reason() + QLatin1Char('\n')).toUtf8().constData(), stderr);
    return 1;
  }
}

}  // namespace quenby::yard

#include "store/runs.h"

#include <QDateTime>
#include <QSqlQuery>

#include "store/sql.h"

namespace quenby::store {

namespace {

QByteArray toBlob(const std::u16string& text) {
  // Not a null array even when empty: Qt binds a null array as SQL NULL.
  QByteArray blob("", 0);
  blob.resize(static_cast<qsizetype>(text.size() * 2));
  for (size_t i = 0; i < text.size(); ++i) {
    blob[static_cast<qsizetype>(2 * i)] = static_cast<char>(text[i] & 0xff);
    blob[static_cast<qsizetype>(2 * i + 1)] = static_cast<char>(text[i] >> 8);
  }
  return blob;
}

std::u16string fromBlob(const QByteArray& blob) {
  std::u16string text(static_cast<size_t>(blob.size() / 2), u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(blob[static_cast<qsizetype>(2 * i)]) |
                                    static_cast<unsigned char>(blob[static_cast<qsizetype>(2 * i + 1)]) << 8);
  return text;
}

QString now() { return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs); }

}  // namespace

Runs::Runs(QSqlDatabase db, QString token) : db_(std::move(db)), token_(std::move(token)) {}

qint64 Runs::ensureRow() {
  exec(db_,
       QStringLiteral("INSERT INTO runs (token, started_at) SELECT ?, ? WHERE NOT EXISTS "
                      "(SELECT 1 FROM runs WHERE token = ?)"),
       {token_, now(), token_});
  return scalar(db_, QStringLiteral("SELECT id FROM runs WHERE token = ?"), {token_}).toLongLong();
}

void Runs::touch(qint64 id, const QString& shown) {
  exec(db_,
       QStringLiteral("UPDATE runs SET seq = (SELECT MAX(seq) FROM runs) + 1, saved_at = ?, shown = ? "
                      "WHERE id = ?"),
       {now(), shown, id});
}

void Runs::insertFields(qint64 id, const Snapshot& snapshot) {
  QSqlQuery insert(db_);
  if (!insert.prepare(
          QStringLiteral("INSERT INTO fields (run_id, sheet, name, idx, text) VALUES (?, ?, ?, ?, ?)")))
    raise(insert.lastError());
  for (const SheetState& sheet : snapshot.sheets) {
    const QString key = QString::fromStdString(sheet.key);
    for (const FieldText& f : sheet.fields) {
      insert.bindValue(0, id);
      insert.bindValue(1, key);
      insert.bindValue(2, QString::fromStdString(f.name));
      insert.bindValue(3, f.index);
      insert.bindValue(4, toBlob(f.text));
      if (!insert.exec()) raise(insert.lastError());
    }
  }
}

void Runs::save(const Snapshot& snapshot) {
  Transaction transaction(db_);
  const qint64 id = ensureRow();
  touch(id, QString::fromStdString(snapshot.shown));
  exec(db_, QStringLiteral("DELETE FROM fields WHERE run_id = ?"), {id});
  insertFields(id, snapshot);
  if (beforeCommit_) beforeCommit_();
  transaction.commit();
}

void Runs::markUserExit(const std::function<void()>& alsoInTransaction) {
  Transaction transaction(db_);
  const qint64 id = ensureRow();
  if (alsoInTransaction) alsoInTransaction();
  exec(db_, QStringLiteral("UPDATE runs SET seq = (SELECT MAX(seq) FROM runs) + 1, state = ? WHERE id = ?"),
       {static_cast<int>(RunState::UserExit), id});
  transaction.commit();
}

std::vector<Runs::Other> Runs::othersLatestFirst() const {
  QSqlQuery query = exec(
      db_,
      QStringLiteral("SELECT id, token, state, COALESCE(saved_at, started_at) FROM runs WHERE token <> ? "
                     "ORDER BY seq DESC"),
      {token_});
  std::vector<Other> others;
  while (query.next())
    others.push_back(
        {query.value(0).toLongLong(), query.value(1).toString(),
         static_cast<RunState>(query.value(2).toInt()),
         QDateTime::fromString(query.value(3).toString(), Qt::ISODateWithMs).toMSecsSinceEpoch()});
  return others;
}

bool Runs::markRecoveredInTransaction(qint64 id) {
  QSqlQuery mark = exec(db_, QStringLiteral("UPDATE runs SET state = ? WHERE id = ? AND state = ?"),
                        {static_cast<int>(RunState::Recovered), id, static_cast<int>(RunState::Open)});
  return mark.numRowsAffected() == 1;
}

bool Runs::markRecovered(qint64 id, const std::function<void()>& alsoInTransaction) {
  Transaction transaction(db_);
  if (!markRecoveredInTransaction(id)) return false;
  alsoInTransaction();
  transaction.commit();
  return true;
}

std::optional<Snapshot> Runs::adopt(qint64 id) {
  Transaction transaction(db_);
  if (!markRecoveredInTransaction(id)) return std::nullopt;
  const qint64 own = ensureRow();
  const QString shown = scalar(db_, QStringLiteral("SELECT shown FROM runs WHERE id = ?"), {id}).toString();
  touch(own, shown);
  exec(db_, QStringLiteral("DELETE FROM fields WHERE run_id = ?"), {own});
  exec(db_,
       QStringLiteral("INSERT INTO fields (run_id, sheet, name, idx, text) "
                      "SELECT ?, sheet, name, idx, text FROM fields WHERE run_id = ?"),
       {own, id});
  transaction.commit();
  return snapshot(own);
}

Snapshot Runs::snapshot(qint64 id) const {
  Snapshot snapshot;
  snapshot.shown =
      scalar(db_, QStringLiteral("SELECT shown FROM runs WHERE id = ?"), {id}).toString().toStdString();
  QSqlQuery query = exec(
      db_,
      QStringLiteral("SELECT sheet, name, idx, text FROM fields WHERE run_id = ? ORDER BY sheet, name, idx"),
      {id});
  while (query.next()) {
    const std::string key = query.value(0).toString().toStdString();
    if (snapshot.sheets.empty() || snapshot.sheets.back().key != key) snapshot.sheets.push_back({key, {}});
    snapshot.sheets.back().fields.push_back({query.value(1).toString().toStdString(), query.value(2).toInt(),
                                             fromBlob(query.value(3).toByteArray())});
  }
  return snapshot;
}

void Runs::prune(int keep) {
  Transaction transaction(db_);
  exec(db_,
       QStringLiteral("DELETE FROM runs WHERE state IN (?, ?) AND id NOT IN "
                      "(SELECT id FROM runs ORDER BY id DESC LIMIT ?)"),
       {static_cast<int>(RunState::UserExit), static_cast<int>(RunState::Recovered), keep});
  transaction.commit();
}

}  // namespace quenby::store

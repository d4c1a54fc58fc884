#include "store/travel.h"

#include <QSqlQuery>
#include <QUuid>

#include "store/database.h"
#include "store/records.h"
#include "store/sql.h"

namespace quenby::store {

namespace {

QSqlDatabase database(const QString& connection) { return QSqlDatabase::database(connection, false); }

// Removes the record `uuid` of `office`, if it is here, with what belongs to it.
bool removeRecord(const QSqlDatabase& db, const QString& uuid, const QString& office) {
  const QVariant id =
      scalar(db, QStringLiteral("SELECT id FROM records WHERE uuid = ? AND office = ?"), {uuid, office});
  if (!id.isValid()) return false;
  exec(db, QStringLiteral("DELETE FROM unsent_records WHERE record_id = ?"), {id});
  exec(db, QStringLiteral("DELETE FROM record_fields WHERE record_id = ?"), {id});
  exec(db, QStringLiteral("DELETE FROM records WHERE id = ?"), {id});
  return true;
}

}  // namespace

Travel::Travel(const QString& path)
    : connection_(QStringLiteral("travel-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
  const OpenOutcome outcome = openTravelDatabase(connection_, path);
  if (outcome.result != OpenResult::Ready) throw SqlError(0, outcome.reason);
}

Travel::~Travel() { closeDatabase(connection_); }

std::vector<TravellingEntry> Travel::unsent(int limit) const {
  const QSqlDatabase db = database(connection_);
  std::vector<TravellingEntry> entries;
  QSqlQuery records =
      exec(db,
           QStringLiteral("SELECT r.uuid, r.office, r.at_ms, r.sheet, r.state, f.fields"
                          " FROM unsent_records u JOIN records r ON r.id = u.record_id"
                          " JOIN record_fields f ON f.record_id = r.id ORDER BY u.record_id LIMIT ?"),
           {limit});
  while (records.next())
    entries.push_back({false, records.value(0).toString(), records.value(1).toString(),
                       records.value(2).toLongLong(), records.value(3).toString(), records.value(4).toInt(),
                       records.value(5).toByteArray()});
  const int left = limit - static_cast<int>(entries.size());
  if (left <= 0) return entries;
  QSqlQuery deletions = exec(
      db, QStringLiteral("SELECT uuid, office FROM deletions WHERE sent = 0 ORDER BY rowid LIMIT ?"), {left});
  while (deletions.next())
    entries.push_back({true, deletions.value(0).toString(), deletions.value(1).toString(), 0, {}, 0, {}});
  return entries;
}

void Travel::markSent(const std::vector<TravellingEntry>& sent) {
  const QSqlDatabase db = database(connection_);
  Transaction transaction(db);
  for (const TravellingEntry& e : sent) {
    if (e.deletion) {
      exec(db, QStringLiteral("UPDATE deletions SET sent = 1 WHERE uuid = ?"), {e.uuid});
    } else {
      exec(db,
           QStringLiteral(
               "DELETE FROM unsent_records WHERE record_id IN (SELECT id FROM records WHERE uuid = ?)"),
           {e.uuid});
    }
  }
  transaction.commit();
}

qint64 Travel::pending() const {
  const QSqlDatabase db = database(connection_);
  return scalar(db, QStringLiteral("SELECT (SELECT COUNT(*) FROM unsent_records) +"
                                   " (SELECT COUNT(*) FROM deletions WHERE sent = 0)"))
      .toLongLong();
}

FetchCursor Travel::cursor() const {
  QSqlQuery query =
      exec(database(connection_), QStringLiteral("SELECT after_xid, after_seq FROM yard_cursor"));
  if (!query.next()) return {};
  return {query.value(0).toString(), query.value(1).toLongLong()};
}

ReceivedPage prepare(std::vector<TravellingEntry> entries, FetchCursor after) {
  ReceivedPage page{std::move(entries), {}, std::move(after)};
  page.records.reserve(page.entries.size());
  for (const TravellingEntry& e : page.entries) {
    std::optional<std::vector<FieldText>> fields = e.deletion ? std::nullopt : unpackFields(e.fields);
    if (!fields) {  // a deletion, or not a record this Quenby can read: nothing to show
      page.records.emplace_back();
      continue;
    }
    LedgerRecord record{
        e.atMs, static_cast<RecordState>(e.state), {e.sheet.toStdString(), std::move(*fields)}};
    RecordColumns columns = columnsOf(record.sheet);
    page.records.push_back(ReceivedPage::Record{std::move(record), std::move(columns)});
  }
  return page;
}

bool Travel::receive(const std::vector<TravellingEntry>& fetched, const FetchCursor& after) {
  return receive(prepare(fetched, after));
}

void Travel::checkpoint() { exec(database(connection_), QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)")); }

bool Travel::receive(const ReceivedPage& page) {
  const QSqlDatabase db = database(connection_);
  Transaction transaction(db);
  TravelledRecords records(db);
  bool changed = false;
  for (size_t i = 0; i < page.entries.size(); ++i) {
    const TravellingEntry& e = page.entries[i];
    if (e.deletion) {
      records.index();  // a record of this page it deletes must be in the index to leave it
      if (!scalar(db, QStringLiteral("SELECT 1 FROM deletions WHERE uuid = ?"), {e.uuid}).isValid())
        exec(db, QStringLiteral("INSERT INTO deletions (uuid, office, sent) VALUES (?, ?, 1)"),
             {e.uuid, e.office});
      if (removeRecord(db, e.uuid, e.office)) {
        dropDeletedFromIndex(db);  // before a later record of this page may take its id
        changed = true;
      }
    } else if (const std::optional<ReceivedPage::Record>& r = page.records[i]) {
      changed = records.insert(r->record, r->columns, e.fields, e.uuid, e.office).has_value() || changed;
    }
  }
  records.index();
  exec(db, QStringLiteral("DELETE FROM yard_cursor"));
  exec(db, QStringLiteral("INSERT INTO yard_cursor (id, after_xid, after_seq) VALUES (1, ?, ?)"),
       {page.after.afterXid, page.after.afterSeq});
  transaction.commit();
  return changed;
}

}  // namespace quenby::store

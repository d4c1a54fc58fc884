#include "store/ledger.h"

#include <QDir>
#include <QSqlQuery>
#include <QUuid>

#include "store/database.h"
#include "store/office.h"
#include "store/searchable.h"
#include "store/sql.h"
#include "store/store_error.h"

namespace quenby::store {

namespace {

const QString kRowColumns = QStringLiteral(
    "id, at_ms, worksheet, buyer_caption, buyer_text, seller_caption, seller_text, species, pieces, volume, "
    "amount, state, office, pdf_path");

// The ORDER BY of each column; rows without a number sort last either way.
QString orderBy(const Sort& sort) {
  const QString dir = sort.descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
  auto numeric = [&](const char* units) {
    return QStringLiteral("CASE WHEN %1 IS NULL THEN 1 ELSE 0 END, %1").arg(QLatin1String(units)) + dir;
  };
  QString key;
  switch (sort.column) {
    case Column::At:
      key = QStringLiteral("at_ms") + dir;
      break;
    case Column::Worksheet:
      key = QStringLiteral("worksheet") + dir;
      break;
    case Column::Buyer:
      key = QStringLiteral("buyer_text") + dir + QStringLiteral(", buyer_caption") + dir;
      break;
    case Column::Seller:
      key = QStringLiteral("seller_text") + dir + QStringLiteral(", seller_caption") + dir;
      break;
    case Column::Species:
      key = QStringLiteral("species") + dir;
      break;
    case Column::Pieces:
      key = numeric("pieces_units");
      break;
    case Column::Volume:
      key = numeric("volume_units");
      break;
    case Column::Amount:
      key = numeric("amount_units");
      break;
    case Column::State:
      key = QStringLiteral("state") + dir;
      break;
    case Column::Office:
      key = QStringLiteral("office") + dir;
      break;
    case Column::Pdf:
      key = QStringLiteral("CASE WHEN pdf_path IS NULL THEN 0 ELSE 1 END") + dir;
      break;
  }
  return key + QStringLiteral(", id") + dir;
}

Sum sumOf(const QSqlQuery& query, int units, int scale) {
  if (query.value(units).isNull()) return {};
  return {query.value(units).toLongLong(), query.value(scale).toInt()};
}

}  // namespace

Ledger::Ledger(const QString& path)
    : path_(path),
      connection_(QStringLiteral("ledger-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
  const OpenOutcome outcome = openLedgerDatabase(connection_, path);
  if (outcome.result != OpenResult::Ready) openFailure_ = outcome.reason;
}

Ledger::~Ledger() {
  if (!openFailure_) closeDatabase(connection_);
}

void Ledger::unreadable(const QString& reason) const {
  throw storeError(StoreError::LedgerUnreadable, QDir::toNativeSeparators(path_), reason);
}

void Ledger::ensureOpen() const {
  if (openFailure_) unreadable(*openFailure_);
}

Ledger::Where Ledger::where(const Filter& filter, qint64 lastId, Search search) const {
  // The records up to lastId, written as an expression: a plain range of ids would have SQLite read
  // the table in id order and sort what it finds, where the time index finds the newest at once.
  Where w{QStringLiteral(" FROM records"), QStringLiteral(" WHERE id - ? <= 0"), {lastId}};
  if (filter.from && filter.to) {
    const auto [from, to] = localDays(*filter.from, *filter.to);
    w.sql += QStringLiteral(" AND at_ms >= ? AND at_ms < ?");
    w.values << from << to;
  }
  if (filter.state) {
    w.sql += *filter.state == RecordState::Exported ? QStringLiteral(" AND state = ?")
                                                    : QStringLiteral(" AND state <> ?");
    w.values << static_cast<int>(RecordState::Exported);
  }
  if (filter.office) {
    w.sql += QStringLiteral(" AND office = ?");
    w.values << *filter.office;
  }
  if (!filter.text.isEmpty()) {
    const QString pattern = likePattern(filter.text.toStdU16String());
    w.tooLong = pattern.toUtf8().size() > kLikePatternBytes;
    if (search == Search::Index) {
      // The index's records first, each read by its id.
      w.from = QStringLiteral(" FROM record_search CROSS JOIN records ON records.id = record_search.rowid");
      w.sql += QStringLiteral(" AND record_search MATCH ?");
      w.values << matchPhrase(filter.text.toStdU16String());
    } else {
      w.sql += QStringLiteral(" AND search LIKE ? ESCAPE '\\'");
      w.values << pattern;
    }
  }
  return w;
}

Ledger::Search Ledger::searchForPage(const Filter& filter, const Sort& sort, qint64 lastId, int end) const {
  if (filter.text.isEmpty() || sort.column != Column::At) return Search::Index;
  // Newest first, a term that many records hold fills a page after a few of them: reading the
  // forms in time order (about a quarter of a microsecond each) beats reading and sorting every
  // record the index finds (about a microsecond each) when end * lastId / found < 4 * found. The
  // count is the totals' just read for the same list, or read here.
  const Where w = where(filter, lastId);
  qint64 found = 0;
  if (counted_ && counted_->sql == w.sql && counted_->values == w.values) {
    found = counted_->rows;
  } else {
    QSqlQuery count = exec(QSqlDatabase::database(connection_, false),
                           QStringLiteral("SELECT COUNT(*)") + w.from + w.sql, w.values);
    if (count.next()) found = count.value(0).toLongLong();
  }
  return static_cast<qint64>(end) * lastId < 4 * found * found ? Search::Scan : Search::Index;
}

qint64 Ledger::lastId() const {
  ensureOpen();
  try {
    return scalar(QSqlDatabase::database(connection_, false), QStringLiteral("SELECT MAX(id) FROM records"))
        .toLongLong();
  } catch (const SqlError& e) {
    unreadable(e.reason());
  }
}

std::optional<Totals> Ledger::keptTotals(const Filter& filter, qint64 lastId) const {
  // Only the state, the office and a term of one or two characters may choose: whatever else a
  // filter asks (a range of days) is read from the records.
  Filter rest = filter;
  rest.state.reset();
  rest.office.reset();
  rest.text.clear();
  const Where bare = where(rest, lastId);
  if (bare.from != QLatin1String(" FROM records") || bare.sql != QLatin1String(" WHERE id - ? <= 0"))
    return std::nullopt;
  QString sql = QStringLiteral(" FROM record_sums WHERE records > 0");
  QVariantList values;
  if (!filter.text.isEmpty()) {
    const std::optional<qint64> gram = termGram(filter.text.toStdU16String());
    if (!gram) return std::nullopt;
    sql = QStringLiteral(" FROM gram_sums WHERE gram = ? AND records > 0");
    values << *gram;
  } else if (filter.office) {
    return std::nullopt;  // the sums of every record are kept by state alone
  }
  if (filter.state) {
    sql += *filter.state == RecordState::Exported ? QStringLiteral(" AND state = ?")
                                                  : QStringLiteral(" AND state <> ?");
    values << static_cast<int>(RecordState::Exported);
  }
  if (filter.office) {
    sql += QStringLiteral(" AND office = ?");
    values << *filter.office;
  }
  QSqlQuery query = exec(
      QSqlDatabase::database(connection_, false),
      QStringLiteral(
          "SELECT (SELECT MAX(id) FROM records), SUM(records),"
          " SUM(pieces_count), SUM(pieces_units), MAX(CASE WHEN pieces_count > 0 THEN pieces_scale END),"
          " SUM(volume_count), SUM(volume_units), MAX(CASE WHEN volume_count > 0 THEN volume_scale END),"
          " SUM(amount_count), SUM(amount_units), MAX(CASE WHEN amount_count > 0 THEN amount_scale END)") +
          sql,
      values);
  if (!query.next() || query.value(0).toLongLong() != lastId) return std::nullopt;
  const auto sum = [&](int count) -> Sum {
    if (query.value(count).toLongLong() == 0) return {};
    return {query.value(count + 1).toLongLong(), query.value(count + 2).toInt()};
  };
  return Totals{query.value(1).toLongLong(), sum(2), sum(5), sum(8), false};
}

Totals Ledger::totals(const Filter& filter, qint64 lastId) const {
  ensureOpen();
  const Where w = where(filter, lastId);
  if (w.tooLong) return Totals{0, {}, {}, {}, true};
  try {
    if (const std::optional<Totals> kept = keptTotals(filter, lastId)) {
      if (!filter.text.isEmpty()) counted_ = Counted{w.sql, w.values, kept->rows};
      return *kept;
    }
    QSqlQuery query = exec(
        QSqlDatabase::database(connection_, false),
        QStringLiteral("SELECT COUNT(*),"
                       " SUM(pieces_units), MAX(CASE WHEN pieces_units IS NOT NULL THEN pieces_scale END),"
                       " SUM(volume_units), MAX(CASE WHEN volume_units IS NOT NULL THEN volume_scale END),"
                       " SUM(amount_units), MAX(CASE WHEN amount_units IS NOT NULL THEN amount_scale END)") +
            w.from + w.sql,
        w.values);
    if (!query.next()) return {};
    if (!filter.text.isEmpty()) counted_ = Counted{w.sql, w.values, query.value(0).toLongLong()};
    return {query.value(0).toLongLong(), sumOf(query, 1, 2), sumOf(query, 3, 4), sumOf(query, 5, 6), false};
  } catch (const SqlError& e) {
    unreadable(e.reason());
  }
}

std::vector<LedgerRow> Ledger::rows(const Filter& filter, const Sort& sort, qint64 lastId, int offset,
                                    int limit) const {
  ensureOpen();
  std::vector<LedgerRow> rows;
  try {
    Where w = where(filter, lastId);
    if (w.tooLong) return {};
    if (searchForPage(filter, sort, lastId, offset + limit) == Search::Scan)
      w = where(filter, lastId, Search::Scan);
    w.values << limit << offset;
    QSqlQuery query =
        exec(QSqlDatabase::database(connection_, false),
             QStringLiteral("SELECT ") + kRowColumns + w.from + w.sql + QStringLiteral(" ORDER BY ") +
                 orderBy(sort) + QStringLiteral(" LIMIT ? OFFSET ?"),
             w.values);
    while (query.next())
      rows.push_back({query.value(0).toLongLong(),
                      query.value(1).toLongLong(),
                      query.value(2).toString(),
                      {query.value(3).toString(), query.value(4).toString()},
                      {query.value(5).toString(), query.value(6).toString()},
                      query.value(7).toString(),
                      query.value(8).toString(),
                      query.value(9).toString(),
                      query.value(10).toString(),
                      static_cast<RecordState>(query.value(11).toInt()),
                      query.value(12).toString(),
                      query.value(13).toString()});
  } catch (const SqlError& e) {
    unreadable(e.reason());
  }
  return rows;
}

LedgerRecord Ledger::record(qint64 id) const {
  ensureOpen();
  try {
    QSqlQuery query =
        exec(QSqlDatabase::database(connection_, false),
             QStringLiteral("SELECT r.at_ms, r.state, r.sheet, f.fields, r.pdf_path FROM records r"
                            " JOIN record_fields f ON f.record_id = r.id WHERE r.id = ?"),
             {id});
    if (!query.next()) unreadable(QStringLiteral("这条记录已被删除"));
    std::optional<std::vector<FieldText>> fields = unpackFields(query.value(3).toByteArray());
    if (!fields) unreadable(QStringLiteral("这条记录的内容已损坏"));
    return {query.value(0).toLongLong(),
            static_cast<RecordState>(query.value(1).toInt()),
            {query.value(2).toString().toStdString(), std::move(*fields)},
            query.value(4).toString()};
  } catch (const SqlError& e) {
    unreadable(e.reason());
  }
}

std::vector<QString> Ledger::offices() const {
  ensureOpen();
  std::vector<QString> names;
  try {
    QSqlQuery query =
        exec(QSqlDatabase::database(connection_, false),
             // One step of the office index per office, not a scan of every record.
             QStringLiteral("WITH RECURSIVE o(name) AS (SELECT MIN(office) FROM records"
                            " UNION ALL SELECT (SELECT MIN(office) FROM records WHERE office > name)"
                            " FROM o WHERE name IS NOT NULL)"
                            " SELECT name FROM o WHERE name IS NOT NULL"));
    while (query.next()) names.push_back(query.value(0).toString());
  } catch (const SqlError& e) {
    unreadable(e.reason());
  }
  return names;
}

void Ledger::remove(qint64 id) {
  if (openFailure_)
    throw storeError(StoreError::RecordNotDeleted, QDir::toNativeSeparators(path_), *openFailure_);
  const QSqlDatabase db = QSqlDatabase::database(connection_, false);
  try {
    Transaction transaction(db);
    QSqlQuery found = exec(db, QStringLiteral("SELECT uuid, office FROM records WHERE id = ?"), {id});
    if (!found.next()) return;
    const QString uuid = found.value(0).toString();
    const QString office = found.value(1).toString();
    if (office != thisOffice()) throw storeError(StoreError::RecordOfAnotherOffice, office);
    exec(db, QStringLiteral("DELETE FROM unsent_records WHERE record_id = ?"), {id});
    exec(db, QStringLiteral("DELETE FROM record_fields WHERE record_id = ?"), {id});
    exec(db, QStringLiteral("DELETE FROM records WHERE id = ?"), {id});
    // The deletion travels even when the record has not: a send may have reached the server already.
    exec(db, QStringLiteral("INSERT INTO deletions (uuid, office, sent) VALUES (?, ?, 0)"), {uuid, office});
    dropDeletedFromIndex(db);
    transaction.commit();
  } catch (const SqlError& e) {
    throw storeError(StoreError::RecordNotDeleted, QDir::toNativeSeparators(path_), e.reason());
  }
}

void Ledger::keepPdfPath(qint64 id, const QString& pdfPath) {
  const QString where = QDir::toNativeSeparators(pdfPath);
  if (openFailure_) throw storeError(StoreError::PdfNotKept, where, *openFailure_);
  try {
    setPdfPath(QSqlDatabase::database(connection_, false), id, pdfPath);
  } catch (const SqlError& e) {
    throw storeError(StoreError::PdfNotKept, where, e.reason());
  }
}

}  // namespace quenby::store

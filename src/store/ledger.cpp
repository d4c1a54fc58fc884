#include "store/ledger.h"

#include <QDir>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>
#include <array>
#include <map>
#include <unordered_map>

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

// The state and office a filter asks for, as conditions on the records or on kept sums.
void stateAndOffice(const Filter& filter, QString& sql, QVariantList& values) {
  if (filter.state) {
    sql += *filter.state == RecordState::Exported ? QStringLiteral(" AND state = ?")
                                                  : QStringLiteral(" AND state <> ?");
    values << static_cast<int>(RecordState::Exported);
  }
  if (filter.office) {
    sql += QStringLiteral(" AND office = ?");
    values << *filter.office;
  }
}

// Counts and sums of records by the scales of their three totals: a sum shows as many decimals as
// the most of the records holding a number, so sums are added and taken away scale by scale.
struct ScaledSum {
  qint64 records = 0;
  std::array<qint64, 3> count{};
  std::array<qint64, 3> units{};
};
using ScaledSums = std::map<std::array<int, 3>, ScaledSum>;

// Adds (sign 1) or takes away (-1) the row of `query`: the three scales, the records, then the
// count and units of each total.
void addScaled(ScaledSums& sums, const QSqlQuery& query, int sign) {
  ScaledSum& s = sums[{query.value(0).toInt(), query.value(1).toInt(), query.value(2).toInt()}];
  s.records += sign * query.value(3).toLongLong();
  for (int t = 0; t < 3; ++t) {
    s.count[t] += sign * query.value(4 + 2 * t).toLongLong();
    s.units[t] += sign * query.value(5 + 2 * t).toLongLong();
  }
}

Totals totalsOf(const ScaledSums& sums) {
  Totals totals;
  std::array<Sum, 3> sum;
  std::array<qint64, 3> count{};
  for (const auto& [scales, s] : sums) {
    totals.rows += s.records;
    for (int t = 0; t < 3; ++t) {
      count[t] += s.count[t];
      sum[t].units = sum[t].units.value_or(0) + s.units[t];
      if (s.count[t] > 0) sum[t].scale = std::max(sum[t].scale, scales[t]);
    }
  }
  for (int t = 0; t < 3; ++t)
    if (count[t] == 0) sum[t] = {};
  totals.pieces = sum[0];
  totals.volume = sum[1];
  totals.amount = sum[2];
  return totals;
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
  stateAndOffice(filter, w.sql, w.values);
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
  // record the index finds (about a microsecond each) when the forms read, end * lastId / found,
  // are fewer than 4 * found. The count is the totals' just read for the same list, or read here.
  const Where w = where(filter, lastId);
  qint64 found = 0;
  if (counted_ && counted_->sql == w.sql && counted_->values == w.values) {
    found = counted_->rows;
  } else {
    QSqlQuery count = exec(QSqlDatabase::database(connection_, false),
                           QStringLiteral("SELECT COUNT(*)") + w.from + w.sql, w.values);
    if (count.next()) found = count.value(0).toLongLong();
  }
  if (found == 0 || static_cast<qint64>(end) * lastId >= 4 * found * found) return Search::Index;
  // Unless the records holding it are all old: reading newest first passes the records newer than
  // the newest of them first (counted by ids, which grow with time as records are made).
  const QVariant newest = scalar(QSqlDatabase::database(connection_, false),
                                 QStringLiteral("SELECT rowid FROM record_search WHERE record_search MATCH ?"
                                                " AND rowid <= ? ORDER BY rowid DESC LIMIT 1"),
                                 {matchPhrase(filter.text.toStdU16String()), lastId});
  if (!newest.isValid()) return Search::Index;
  const qint64 passed = lastId - newest.toLongLong();
  return passed + static_cast<qint64>(end) * lastId / found < 4 * found ? Search::Scan : Search::Index;
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
  if (!onlyKeptChoices(filter, lastId)) return std::nullopt;
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
  stateAndOffice(filter, sql, values);
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

bool Ledger::onlyKeptChoices(const Filter& filter, qint64 lastId) const {
  Filter rest = filter;
  rest.state.reset();
  rest.office.reset();
  rest.text.clear();
  const Where bare = where(rest, lastId);
  return bare.from == QLatin1String(" FROM records") && bare.sql == QLatin1String(" WHERE id - ? <= 0");
}

std::optional<Totals> Ledger::totalsBesidePair(const Filter& filter, qint64 lastId) const {
  const std::vector<TermPair> pairs = termPairs(filter.text.toStdU16String());
  if (pairs.empty() || !onlyKeptChoices(filter, lastId)) return std::nullopt;
  const QSqlDatabase db = QSqlDatabase::database(connection_, false);
  if (scalar(db, QStringLiteral("SELECT MAX(id) FROM records")).toLongLong() != lastId) return std::nullopt;
  QString sql = QStringLiteral(" FROM gram_sums WHERE gram IN (?");
  QVariantList values{pairs[0].gram};
  for (size_t i = 1; i < pairs.size(); ++i) {
    sql += QStringLiteral(", ?");
    values << pairs[i].gram;
  }
  sql += QStringLiteral(") AND records > 0");
  stateAndOffice(filter, sql, values);
  std::unordered_map<qint64, qint64> held;
  {
    QSqlQuery query = exec(
        db, QStringLiteral("SELECT gram, SUM(records)") + sql + QStringLiteral(" GROUP BY gram"), values);
    while (query.next()) held[query.value(0).toLongLong()] = query.value(1).toLongLong();
  }
  const TermPair* rarest = nullptr;
  for (const TermPair& pair : pairs) {
    if (!held.contains(pair.gram)) return Totals{};  // a pair no record holds: nor the term
    if (!rarest || held[pair.gram] < held[rarest->gram]) rarest = &pair;
  }
  if (held[rarest->gram] < pairRecords_) return std::nullopt;  // few enough to read the term's records

  const QString term = matchPhrase(filter.text.toStdU16String());
  // A glance at the pair's first thousand records: when many of them lack the term, many of all
  // will, and reading the term's own records is the shorter way. (The index bounds a phrase by
  // rowid, but reads a NOT through.)
  constexpr qint64 kGlance = 1000;
  const QVariant edge = scalar(
      db, QStringLiteral("SELECT rowid FROM record_search WHERE record_search MATCH ? LIMIT 1 OFFSET ?"),
      {rarest->phrase, kGlance - 1});
  if (edge.isValid()) {
    const qint64 holding =
        scalar(
            db,
            QStringLiteral("SELECT COUNT(*) FROM record_search WHERE record_search MATCH ? AND rowid <= ?"),
            {term, edge})
            .toLongLong();
    if ((kGlance - holding) * held[rarest->gram] / kGlance > outside_) return std::nullopt;
  }
  // The records holding the pair but not the term, while they are few: found by the index alone,
  // then summed by the totals' scales.
  std::vector<qint64> outside;
  {
    QSqlQuery query =
        exec(db, QStringLiteral("SELECT rowid FROM record_search WHERE record_search MATCH ? LIMIT ?"),
             {rarest->phrase + QStringLiteral(" NOT ") + term, outside_ + 1});
    while (query.next()) outside.push_back(query.value(0).toLongLong());
  }
  if (static_cast<qint64>(outside.size()) > outside_) return std::nullopt;
  const QString byScales = QStringLiteral(" GROUP BY pieces_scale, volume_scale, amount_scale");
  ScaledSums sums;
  if (!outside.empty()) {
    Filter rest = filter;
    rest.text.clear();
    Where w = where(rest, lastId);
    w.sql += QStringLiteral(" AND id IN (?") +
             QStringLiteral(", ?").repeated(static_cast<qsizetype>(outside.size()) - 1) + QStringLiteral(")");
    for (const qint64 id : outside) w.values << id;
    QSqlQuery query = exec(
        db,
        QStringLiteral("SELECT pieces_scale, volume_scale, amount_scale, COUNT(*), COUNT(pieces_units),"
                       " IFNULL(SUM(pieces_units), 0), COUNT(volume_units), IFNULL(SUM(volume_units), 0),"
                       " COUNT(amount_units), IFNULL(SUM(amount_units), 0)") +
            w.from + w.sql + byScales,
        w.values);
    while (query.next()) addScaled(sums, query, -1);
  }
  QString keptSql = QStringLiteral(" FROM gram_sums WHERE gram = ? AND records > 0");
  QVariantList kept{rarest->gram};
  stateAndOffice(filter, keptSql, kept);
  QSqlQuery query =
      exec(db,
           QStringLiteral("SELECT pieces_scale, volume_scale, amount_scale, SUM(records), SUM(pieces_count),"
                          " SUM(pieces_units), SUM(volume_count), SUM(volume_units), SUM(amount_count),"
                          " SUM(amount_units)") +
               keptSql + byScales,
           kept);
  while (query.next()) addScaled(sums, query, 1);
  return totalsOf(sums);
}

Totals Ledger::totals(const Filter& filter, qint64 lastId) const {
  ensureOpen();
  const Where w = where(filter, lastId);
  if (w.tooLong) return Totals{0, {}, {}, {}, true};
  try {
    std::optional<Totals> kept = keptTotals(filter, lastId);
    if (!kept) kept = totalsBesidePair(filter, lastId);
    if (kept) {
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

#include "store/records.h"

#include <QDataStream>
#include <QIODevice>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>
#include <memory>
#include <mutex>

#include "store/gram_sums.h"
#include "store/office.h"
#include "store/searchable.h"
#include "store/sql.h"
#include "store/statement.h"

namespace quenby::store {

namespace {

// The ledger's columns of each calculator's sheet, by its key, as the program told them.
struct KnownSheets {
  std::mutex mutex;
  std::vector<std::pair<std::string, std::shared_ptr<const LedgerColumns>>> sheets;
};

KnownSheets& known() {
  static KnownSheets sheets;
  return sheets;
}

// Shared rather than copied: a first fetch asks for them a million times.
std::shared_ptr<const LedgerColumns> columnsFor(std::string_view key) {
  KnownSheets& k = known();
  const std::lock_guard lock(k.mutex);
  for (const auto& [known, columns] : k.sheets)
    if (known == key) return columns;
  return nullptr;
}

constexpr quint8 kPackVersion = 1;

// Qt binds a null QString as SQL NULL; the record's texts are never NULL, only empty.
QString notNull(const QString& text) { return text.isNull() ? QStringLiteral("") : text; }

// A text for showing: a lone surrogate, which the database's text cannot hold, as U+FFFD.
QString shown(std::u16string_view text) {
  QString out = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
  for (qsizetype i = 0; i < out.size(); ++i) {
    if (out[i].isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate()) {
      ++i;
    } else if (out[i].isSurrogate()) {
      out[i] = QChar::ReplacementCharacter;
    }
  }
  return notNull(out);
}

std::u16string_view textOf(const SheetState& state, FieldId id) {
  if (id.name.empty()) return {};
  for (const FieldText& f : state.fields)
    if (f.name == id.name && f.index == id.index) return f.text;
  return {};
}

HeaderLine lineOf(const SheetState& state, const LedgerLine& source) {
  return {source.caption.name.empty() ? shown(source.label) : shown(textOf(state, source.caption)),
          shown(textOf(state, source.text))};
}

ShownTotal totalOf(std::u16string_view text) { return {shown(text), plainDecimal(text)}; }

std::optional<qint64> valueOf(const ShownTotal& total) {
  if (!total.value) return std::nullopt;
  return total.value->units;
}
QVariant unitsOf(const ShownTotal& total) {
  return total.value ? QVariant(total.value->units) : QVariant(QMetaType::fromType<qint64>());
}
QVariant pathOrNull(const QString& path) {
  return path.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(path);
}

int scaleOf(const ShownTotal& total) { return total.value ? total.value->scale : 0; }

}  // namespace

void knowCalculators(const std::vector<const CalculatorSpec*>& calculators) {
  std::vector<std::pair<std::string, std::shared_ptr<const LedgerColumns>>> sheets;
  for (const CalculatorSpec* c : calculators)
    sheets.emplace_back(std::string(c->storeKey), std::make_shared<const LedgerColumns>(c->ledgerColumns()));
  KnownSheets& k = known();
  const std::lock_guard lock(k.mutex);
  k.sheets = std::move(sheets);
}

RecordColumns columnsOf(const SheetState& state) {
  if (const std::shared_ptr<const LedgerColumns> found = columnsFor(state.key)) {
    const LedgerColumns& s = *found;
    std::u16string_view amount = textOf(state, s.amount);
    if (amount.empty()) amount = textOf(state, s.amountAtAverage);
    std::vector<std::u16string_view> searched;
    for (FieldId id : s.searched) searched.push_back(textOf(state, id));
    return {QString::fromStdU16String(s.worksheet),
            lineOf(state, s.buyer),
            lineOf(state, s.seller),
            shown(textOf(state, s.species)),
            totalOf(textOf(state, s.pieces)),
            totalOf(textOf(state, s.volume)),
            totalOf(amount),
            notNull(searchable(searched))};
  }
  const QString empty = notNull({});
  return {QString::fromStdString(state.key),
          {empty, empty},
          {empty, empty},
          empty,
          {empty, {}},
          {empty, {}},
          {empty, {}},
          empty};
}

namespace {

constexpr const char* kInsertRecord =
    "INSERT INTO records (at_ms, sheet, worksheet, state, buyer_caption, buyer_text, "
    "seller_caption, seller_text, species, pieces, pieces_units, pieces_scale, volume, "
    "volume_units, volume_scale, amount, amount_units, amount_scale, search, uuid, office) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
constexpr const char* kInsertFields = "INSERT INTO record_fields (record_id, fields) VALUES (?, ?)";
constexpr const char* kIndexForm = "INSERT INTO record_search (rowid, chars) VALUES (?, ?)";

void indexForm(Statement& insert, qint64 id, const QString& form) {
  insert.run({id, notNull(indexTokens(form.toStdU16String()))});
}

// Adds the record with its columns `c` and its fields; its form is the caller's to index.
qint64 insertAs(Statement& insertRecord, Statement& insertFields, const LedgerRecord& record,
                const RecordColumns& c, const QByteArray& packed, const QString& uuid,
                const QString& office) {
  insertRecord.run({record.atMs,       QString::fromStdString(record.sheet.key),
                    c.worksheet,       static_cast<int>(record.state),
                    c.buyer.caption,   c.buyer.text,
                    c.seller.caption,  c.seller.text,
                    c.species,         c.pieces.text,
                    unitsOf(c.pieces), scaleOf(c.pieces),
                    c.volume.text,     unitsOf(c.volume),
                    scaleOf(c.volume), c.amount.text,
                    unitsOf(c.amount), scaleOf(c.amount),
                    c.search,          uuid,
                    notNull(office)});
  const qint64 id = insertRecord.lastInsertId();
  insertFields.run({id, packed});
  return id;
}

// A record's state, office and totals, as sumsIn reads them from column `first` of a query on.
const QString kSumColumns = QStringLiteral(
    "state, office, pieces_units, pieces_scale, volume_units, volume_scale, amount_units, amount_scale");

std::optional<qint64> unitsIn(const QSqlQuery& query, int column) {
  if (query.value(column).isNull()) return std::nullopt;
  return query.value(column).toLongLong();
}

RecordSums sumsIn(const QSqlQuery& query, int first) {
  return {query.value(first).toInt(),     query.value(first + 1).toString(), unitsIn(query, first + 2),
          unitsIn(query, first + 4),      unitsIn(query, first + 6),         query.value(first + 3).toInt(),
          query.value(first + 5).toInt(), query.value(first + 7).toInt()};
}

RecordSums sumsOf(const LedgerRecord& record, const RecordColumns& c, const QString& office) {
  return {static_cast<int>(record.state),
          office,
          valueOf(c.pieces),
          valueOf(c.volume),
          valueOf(c.amount),
          scaleOf(c.pieces),
          scaleOf(c.volume),
          scaleOf(c.amount)};
}

}  // namespace

void dropDeletedFromIndex(const QSqlDatabase& db) {
  GramSums sums;
  std::vector<std::pair<qint64, QString>> gone;
  {
    QSqlQuery query = exec(
        db, QStringLiteral("SELECT id, search, ") + kSumColumns + QStringLiteral(" FROM record_search_gone"));
    while (query.next()) {
      gone.emplace_back(query.value(0).toLongLong(), query.value(1).toString());
      // A record deleted before the grams were summed was in no sums.
      if (!query.value(2).isNull()) sums.count(gone.back().second, sumsIn(query, 2), -1);
    }
  }
  if (gone.empty()) return;
  // The index keeps no texts: a form is taken out by naming the tokens it was indexed with.
  Statement remove(db, "INSERT INTO record_search (record_search, rowid, chars) VALUES ('delete', ?, ?)");
  for (const auto& [id, form] : gone) indexForm(remove, id, form);
  sums.write(db);
  exec(db, QStringLiteral("DELETE FROM record_search_gone"));
}

void indexSearchForms(const QSqlDatabase& db) {
  Statement insert(db, kIndexForm);
  QSqlQuery query(db);
  query.setForwardOnly(true);
  if (!query.exec(QStringLiteral("SELECT id, search FROM records"))) raise(query.lastError());
  while (query.next()) indexForm(insert, query.value(0).toLongLong(), query.value(1).toString());
}

constexpr size_t kGramsHeld = 200'000;

void sumGrams(const QSqlDatabase& db) {
  GramSums sums;
  {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT search, ") + kSumColumns + QStringLiteral(" FROM records")))
      raise(query.lastError());
    while (query.next()) {
      sums.count(query.value(0).toString(), sumsIn(query, 1), 1);
      if (sums.held() > kGramsHeld) sums.write(db);  // memory stays bounded whatever the texts
    }
  }
  sums.write(db);
}

qint64 insertRecord(const QSqlDatabase& db, const LedgerRecord& record) {
  dropDeletedFromIndex(db);
  Statement insertRecords(db, kInsertRecord);
  Statement insertFields(db, kInsertFields);
  Statement indexForms(db, kIndexForm);
  const RecordColumns columns = columnsOf(record.sheet);
  const qint64 id = insertAs(insertRecords, insertFields, record, columns, packFields(record.sheet.fields),
                             QUuid::createUuid().toString(QUuid::WithoutBraces), thisOffice());
  indexForm(indexForms, id, columns.search);
  GramSums sums;
  sums.count(columns.search, sumsOf(record, columns, thisOffice()), 1);
  sums.write(db);
  exec(db, QStringLiteral("INSERT INTO unsent_records (record_id) VALUES (?)"), {id});
  if (!record.pdfPath.isEmpty()) setPdfPath(db, id, record.pdfPath);
  return id;
}

TravelledRecords::TravelledRecords(const QSqlDatabase& db)
    : known_(db, "SELECT 1 FROM records WHERE uuid = ?"),
      deleted_(db, "SELECT 1 FROM deletions WHERE uuid = ? AND office = ?"),
      insertRecord_(db, kInsertRecord),
      insertFields_(db, kInsertFields),
      indexForms_(db, kIndexForm),
      db_(db) {
  dropDeletedFromIndex(db);
}

std::optional<qint64> TravelledRecords::insert(const LedgerRecord& record, const RecordColumns& columns,
                                               const QByteArray& packed, const QString& uuid,
                                               const QString& office) {
  if (known_.run({uuid}) || deleted_.run({uuid, office})) return std::nullopt;
  const qint64 id = insertAs(insertRecord_, insertFields_, record, columns, packed, uuid, office);
  unindexed_.emplace_back(id, columns.search);
  sums_.count(columns.search, sumsOf(record, columns, office), 1);
  return id;
}

void TravelledRecords::index() {
  for (const auto& [id, form] : unindexed_) indexForm(indexForms_, id, form);
  unindexed_.clear();
  sums_.write(db_);
}

void giveRecordsIdentity(const QSqlDatabase& db) {
  std::vector<qint64> ids;
  {
    QSqlQuery query = exec(db, QStringLiteral("SELECT id FROM records"));
    while (query.next()) ids.push_back(query.value(0).toLongLong());
  }
  QSqlQuery update(db);
  if (!update.prepare(QStringLiteral("UPDATE records SET uuid = ?, office = ? WHERE id = ?")))
    raise(update.lastError());
  const QString office = thisOffice();
  for (const qint64 id : ids) {
    update.bindValue(0, QUuid::createUuid().toString(QUuid::WithoutBraces));
    update.bindValue(1, office);
    update.bindValue(2, id);
    if (!update.exec()) raise(update.lastError());
  }
  exec(db, QStringLiteral("INSERT INTO unsent_records (record_id) SELECT id FROM records"));
  exec(db, QStringLiteral("CREATE UNIQUE INDEX records_by_uuid ON records (uuid)"));
  exec(db, QStringLiteral("CREATE INDEX records_by_office ON records (office, at_ms)"));
}

void setPdfPath(const QSqlDatabase& db, qint64 id, const QString& pdfPath) {
  exec(db, QStringLiteral("UPDATE records SET pdf_path = ? WHERE id = ?"), {pathOrNull(pdfPath), id});
}

void rewriteSearchForms(const QSqlDatabase& db) {
  std::vector<std::pair<qint64, QString>> changed;
  {
    QSqlQuery query = exec(db, QStringLiteral("SELECT r.id, r.sheet, r.search, f.fields FROM records r"
                                              " JOIN record_fields f ON f.record_id = r.id"));
    while (query.next()) {
      std::optional<std::vector<FieldText>> fields = unpackFields(query.value(3).toByteArray());
      if (!fields) continue;
      const QString form = columnsOf({query.value(1).toString().toStdString(), std::move(*fields)}).search;
      if (form != query.value(2).toString()) changed.emplace_back(query.value(0).toLongLong(), form);
    }
  }
  QSqlQuery update(db);
  if (!update.prepare(QStringLiteral("UPDATE records SET search = ? WHERE id = ?")))
    raise(update.lastError());
  for (const auto& [id, form] : changed) {
    update.bindValue(0, form);
    update.bindValue(1, id);
    if (!update.exec()) raise(update.lastError());
  }
}

QByteArray packFields(const std::vector<FieldText>& fields) {
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  out << kPackVersion << static_cast<quint32>(fields.size());
  // QString keeps the UTF-16 code units as they are: lone surrogates and NULs included.
  for (const FieldText& f : fields)
    out << QByteArray::fromStdString(f.name) << static_cast<qint32>(f.index)
        << QString::fromStdU16String(f.text);
  return qCompress(bytes);
}

std::optional<std::vector<FieldText>> unpackFields(const QByteArray& packed) {
  const QByteArray bytes = qUncompress(packed);
  QDataStream in(bytes);
  in.setVersion(QDataStream::Qt_6_0);
  quint8 version = 0;
  quint32 count = 0;
  in >> version >> count;
  if (in.status() != QDataStream::Ok || version != kPackVersion) return std::nullopt;
  std::vector<FieldText> fields;
  for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
    QByteArray name;
    qint32 index = 0;
    QString text;
    in >> name >> index >> text;
    fields.push_back({name.toStdString(), index, text.toStdU16String()});
  }
  if (in.status() != QDataStream::Ok) return std::nullopt;
  return fields;
}

}  // namespace quenby::store

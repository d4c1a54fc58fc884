#pragma once
// The ledger's records: one per bill exported, and one per sheet left with unexported typing at
// the user's exit or in a run that ended otherwise and was not brought back (a draft). A record keeps every
// field of its sheet as it stood (the calculator selector aside), losslessly, for reopening, and the list's
// columns taken from those fields as its calculator's descriptor says (knowCalculators): the worksheet, the
// buyer's and the seller's header lines (each caption with its text), the species, and the totals as shown,
// each with its exact value when it is a plain decimal. Records are written once and never changed; deleting
// one is the user's act.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <optional>
#include <string_view>

#include "sheet/calculator_spec.h"
#include "store/decimal.h"
#include "store/gram_sums.h"
#include "store/snapshot.h"
#include "store/statement.h"

namespace quenby::store {

enum class RecordState : int {
  Exported = 0,
  Draft = 1,           // 未导出: kept at the user's exit, or before a reopened record replaced it
  RecoveredDraft = 2,  // 未导出 too: typed in a run that ended otherwise and that no start brought back
};

struct LedgerRecord {
  qint64 atMs = 0;  // when, in milliseconds since 1970-01-01 UTC
  RecordState state = RecordState::Exported;
  SheetState sheet;      // the sheet's key and its fields
  QString pdfPath = {};  // the bill's PDF on this computer; empty: none was made
};

// A header line: the caption the user chose (or the sheet's fixed label) and the field's text.
struct HeaderLine {
  QString caption;
  QString text;
};

// A total as shown, and its value when the text is a plain decimal.
struct ShownTotal {
  QString text;
  std::optional<Decimal> value;
};

// The list's columns of a record.
struct RecordColumns {
  QString worksheet;  // "原木一", "原木二", "锯材账单"
  HeaderLine buyer;   // the first header line
  HeaderLine seller;  // the bottom-left header line
  QString species;    // empty on the sawn-timber sheet, which has none
  ShownTotal pieces;  // empty on the sawn-timber sheet, which has no piece total
  ShownTotal volume;
  ShownTotal amount;  // the graded total, or the amount at the average price when that is empty
  QString search;     // every header text, in searchable form (searchable.h)
};

// Tells the ledger the calculators whose sheets it keeps, and so which field feeds which column of
// their records. The program does so once, before its store opens (windows/calculators.cpp);
// a later call replaces the list.
void knowCalculators(const std::vector<const CalculatorSpec*>& calculators);

// The columns of a record of the sheet `state.key`. A sheet the ledger does not know shows its key
// as the worksheet and nothing else.
RecordColumns columnsOf(const SheetState& state);

// Adds `record` inside the caller's transaction as a new record of this office (office.h), with a
// new UUID, waiting to be sent to the yard's server; returns its id. Throws SqlError.
qint64 insertRecord(const QSqlDatabase& db, const LedgerRecord& record);

// Adds records made elsewhere (or here, before this store existed) as they travelled, inside the
// caller's transaction, with the statements prepared once: each with its own UUID and office and
// its fields as packed, nothing to send.
// Its constructor takes the forms of deleted records out of the search index first
// (dropDeletedFromIndex), so that an id used again never meets an old record's tokens.
class TravelledRecords {
 public:
  explicit TravelledRecords(const QSqlDatabase& db);
  // The new record's id, or nothing when a record of that UUID is here already or its office
  // deleted it; `columns` are columnsOf(record.sheet). Its form enters the search index at the
  // next index(). Throws SqlError.
  std::optional<qint64> insert(const LedgerRecord& record, const RecordColumns& columns,
                               const QByteArray& packed, const QString& uuid, const QString& office);
  // Puts the forms of the records inserted since into the search index, and their totals into
  // their grams' sums; due before the transaction commits and before any record is deleted.
  // Throws SqlError.
  void index();

 private:
  Statement known_;
  Statement deleted_;
  Statement insertRecord_;
  Statement insertFields_;
  Statement indexForms_;
  // Inserted and not yet indexed. The index's pending terms are written out as a segment of their
  // own before each statement of the transaction that may need undoing (the insert of a record
  // is one): indexing a page's forms one after another, with no such statement between them,
  // writes them as one segment instead of one per record.
  std::vector<std::pair<qint64, QString>> unindexed_;
  GramSums sums_;
  QSqlDatabase db_;
};

// Gives every record its UUID and this office's name, and puts it among those to send, inside the
// caller's transaction (a migration). Throws SqlError.
void giveRecordsIdentity(const QSqlDatabase& db);

// Writes the search form of every record anew from its kept fields, inside the caller's
// transaction (a migration); a record whose fields cannot be read keeps its form. Throws SqlError.
void rewriteSearchForms(const QSqlDatabase& db);

// Sets the path of record `id`'s PDF (one made later for it), inside the caller's transaction.
// Throws SqlError.
void setPdfPath(const QSqlDatabase& db, qint64 id, const QString& pdfPath);
// The full-text index of the search forms (searchable.h, schema.h). A record's form is indexed
// when it is added (insertRecord); a record deleted by any statement leaves its form in
// record_search_gone (a trigger), and dropDeletedFromIndex takes such forms out of the index. It
// runs before every record added, so that an id used again never meets an old record's tokens,
// and after the ledger's own deletes. indexSearchForms indexes every record (a migration).
// The grams' sums (gram_sums.h) follow the index: a form's record counts in them exactly while
// the form is indexed. sumGrams counts every record (a migration).
// Each runs inside the caller's transaction and throws SqlError.
void dropDeletedFromIndex(const QSqlDatabase& db);
void indexSearchForms(const QSqlDatabase& db);
void sumGrams(const QSqlDatabase& db);

// The fields of a record as kept, and back; nothing when the bytes are not such a record.
QByteArray packFields(const std::vector<FieldText>& fields);
std::optional<std::vector<FieldText>> unpackFields(const QByteArray& bytes);

}  // namespace quenby::store

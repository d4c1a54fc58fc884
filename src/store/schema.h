#pragma once
// The store's schema, as a list of migrations from the first version on. The database's
// PRAGMA user_version is the number of the last migration applied; each migration's statements
// run in one transaction together with the new version number. A migration once released is
// never changed: a later schema adds a migration.
//
// Version 1:
//   runs    one row per run of the program that saved sheets or ended by the user's own exit:
//           its token (the name of its lock file), when it started and last saved, `seq` (the
//           order of the last save or exit across all runs), its state (RunState), and the key
//           of the sheet whose window was shown.
//   fields  the run's last snapshot: one row per field of each sheet that existed, the text as
//           UTF-16LE code units in a blob (lossless: lone surrogates and NULs stay as typed).
//
// Version 2, the ledger (records.h):
//   records        one row per record: when (at_ms, UTC milliseconds), the sheet's key and
//                  worksheet, exported or draft (RecordState), the header lines'
//                  captions and texts and the species as shown, each total's text as shown with
//                  its value in ten-thousandths (NULL when the text is no plain decimal) and its
//                  decimals, and the header texts in searchable form (searchable.h).
//   record_fields  the record's fields as kept (packFields), one row per record.
//
// Version 3: no change of tables; each record's search form is written anew from its kept fields
// (rewriteSearchForms, records.h), now that the form folds the case of Latin letters.
//
// Version 4, records that travel between the offices of a yard (travel.h):
//   records         gain `uuid` (given when the record is made, unique) and `office` (the office
//                   that made it); the records already there get theirs (giveRecordsIdentity): a
//                   new UUID each and this office's name, and all wait to be sent.
//   unsent_records  this office's records the yard's server has not acknowledged yet.
//   deletions       every deletion known here, this office's and the others': the record's uuid,
//                   its office, and whether the server acknowledged it (`sent`, 1 for fetched ones).
//   yard_cursor     one row: the server's last row fetched, by its transaction id and sequence
//                   number; every row before it in that order is here.
// Version 5: records gain pdf_path, the path of the bill's PDF on this computer (NULL: none was
// made). It is local: it never travels to other offices, whose files are not here.
// Version 6, the search index and the totals' index:
//   record_search       SQLite's full-text index (FTS5, keeping no content) of every record's
//                       search form as one token per character (searchable.h), by record id.
//   record_search_gone  the forms of records deleted and not yet taken out of the index, written
//                       by a trigger on any DELETE of records (records.h: dropDeletedFromIndex).
//   records_by_state    the state, time and id with the totals' values: a state's list newest
//                       first and its totals, over any range of days, read this index alone.
//   record_sums         per state and the three totals' scales: the count of records, and of
//                       each total the count of records holding a number and their sum, kept by
//                       triggers on every insert and delete of records.
// Version 7, the totals of the records holding a term of one or two characters:
//   gram_sums           per gram of the forms (searchable.h: each character, and each two one
//                       after the other), state, office and the totals' scales: the count and sums
//                       as in record_sums of the records whose form holds the gram, kept by the
//                       store's own code wherever it indexes or unindexes a form (records.h);
//                       the records already there are summed once (sumGrams).
//   record_search_gone  also keeps the deleted record's state, office and totals, which its
//                       grams' sums give back when its form leaves the index (NULL for a record
//                       deleted before this version, which no sums held).
// Records are never changed; whatever changes a record's search form must take its old tokens
// out of the index and put the new ones in, and whatever changes its state or totals must keep
// record_sums.

#include <QSqlDatabase>
#include <QString>
#include <vector>

namespace quenby::store {

// How a run stands in the store.
enum class RunState : int {
  Open = 0,       // running, or ended in any way but the user's own exit
  UserExit = 1,   // ended by the user's own exit: the next start is fresh
  Recovered = 2,  // ended otherwise, and its sheets were brought back by a later run
};

struct Migration {
  int version;
  std::vector<QString> statements;
  // Runs after the statements, in the same transaction, for data that SQL cannot compute; throws
  // SqlError.
  void (*rewrite)(const QSqlDatabase& db) = nullptr;
};

const std::vector<Migration>& migrations();
int schemaVersion();  // the version the last migration brings the database to

}  // namespace quenby::store

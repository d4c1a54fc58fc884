#include "store/schema.h"

#include "store/records.h"

namespace quenby::store {

namespace {

// The scales of the three totals, then the count of records and of each total the count of those
// holding a number and their sum: the columns of record_sums and gram_sums.
const QString kSumColumns = QStringLiteral(
    " pieces_scale INTEGER NOT NULL, volume_scale INTEGER NOT NULL, amount_scale INTEGER NOT NULL,"
    " records BIGINT NOT NULL, pieces_count BIGINT NOT NULL, pieces_units BIGINT NOT NULL,"
    " volume_count BIGINT NOT NULL, volume_units BIGINT NOT NULL, amount_count BIGINT NOT NULL,"
    " amount_units BIGINT NOT NULL,");

// A record's share of record_sums, added (new) and taken away (old).
const QString kAddSums = QStringLiteral(
    "INSERT INTO record_sums VALUES (new.state, new.pieces_scale, new.volume_scale, new.amount_scale, 1,"
    " new.pieces_units IS NOT NULL, IFNULL(new.pieces_units, 0), new.volume_units IS NOT NULL,"
    " IFNULL(new.volume_units, 0), new.amount_units IS NOT NULL, IFNULL(new.amount_units, 0))"
    " ON CONFLICT (state, pieces_scale, volume_scale, amount_scale) DO UPDATE SET"
    " records = records + 1, pieces_count = pieces_count + excluded.pieces_count,"
    " pieces_units = pieces_units + excluded.pieces_units, volume_count = volume_count + "
    "excluded.volume_count,"
    " volume_units = volume_units + excluded.volume_units, amount_count = amount_count + "
    "excluded.amount_count,"
    " amount_units = amount_units + excluded.amount_units;");
const QString kTakeSums = QStringLiteral(
    "UPDATE record_sums SET records = records - 1,"
    " pieces_count = pieces_count - (old.pieces_units IS NOT NULL),"
    " pieces_units = pieces_units - IFNULL(old.pieces_units, 0),"
    " volume_count = volume_count - (old.volume_units IS NOT NULL),"
    " volume_units = volume_units - IFNULL(old.volume_units, 0),"
    " amount_count = amount_count - (old.amount_units IS NOT NULL),"
    " amount_units = amount_units - IFNULL(old.amount_units, 0)"
    " WHERE state = old.state AND pieces_scale = old.pieces_scale AND volume_scale = old.volume_scale"
    " AND amount_scale = old.amount_scale;");

}  // namespace

const std::vector<Migration>& migrations() {
  static const std::vector<Migration> kMigrations = {
      {1,
       {
           QStringLiteral("CREATE TABLE runs ("
                          " id INTEGER PRIMARY KEY,"
                          " token VARCHAR(64) NOT NULL UNIQUE,"
                          " started_at VARCHAR(32) NOT NULL,"
                          " saved_at VARCHAR(32),"
                          " seq INTEGER NOT NULL DEFAULT 0,"
                          " state INTEGER NOT NULL DEFAULT 0,"
                          " shown VARCHAR(32) NOT NULL DEFAULT '')"),
           QStringLiteral("CREATE INDEX runs_by_seq ON runs (seq)"),
           QStringLiteral("CREATE TABLE fields ("
                          " run_id INTEGER NOT NULL REFERENCES runs (id) ON DELETE CASCADE,"
                          " sheet VARCHAR(32) NOT NULL,"
                          " name VARCHAR(32) NOT NULL,"
                          " idx INTEGER NOT NULL,"
                          " text BLOB NOT NULL,"
                          " PRIMARY KEY (run_id, sheet, name, idx))"),
       }},
      {2,
       {
           QStringLiteral("CREATE TABLE records ("
                          " id INTEGER PRIMARY KEY,"
                          " at_ms BIGINT NOT NULL,"
                          " sheet VARCHAR(32) NOT NULL,"
                          " worksheet VARCHAR(32) NOT NULL,"
                          " state INTEGER NOT NULL,"
                          " buyer_caption TEXT NOT NULL,"
                          " buyer_text TEXT NOT NULL,"
                          " seller_caption TEXT NOT NULL,"
                          " seller_text TEXT NOT NULL,"
                          " species TEXT NOT NULL,"
                          " pieces TEXT NOT NULL,"
                          " pieces_units BIGINT,"
                          " pieces_scale INTEGER NOT NULL,"
                          " volume TEXT NOT NULL,"
                          " volume_units BIGINT,"
                          " volume_scale INTEGER NOT NULL,"
                          " amount TEXT NOT NULL,"
                          " amount_units BIGINT,"
                          " amount_scale INTEGER NOT NULL,"
                          " search TEXT NOT NULL)"),
           // Newest first and a range of days read the index alone; so does a search in that order.
           QStringLiteral("CREATE INDEX records_by_time ON records (at_ms, search)"),
           // Apart from the list's columns, so that a search reads only those.
           QStringLiteral("CREATE TABLE record_fields ("
                          " record_id INTEGER PRIMARY KEY REFERENCES records (id) ON DELETE CASCADE,"
                          " fields BLOB NOT NULL)"),
       }},
      // The search form folds the case of Latin letters: every record's is written anew.
      {3, {}, rewriteSearchForms},
      // Records that travel between the yard's offices.
      {4,
       {
           QStringLiteral("ALTER TABLE records ADD COLUMN uuid TEXT NOT NULL DEFAULT ''"),
           QStringLiteral("ALTER TABLE records ADD COLUMN office TEXT NOT NULL DEFAULT ''"),
           QStringLiteral("CREATE TABLE unsent_records ("
                          " record_id INTEGER PRIMARY KEY REFERENCES records (id) ON DELETE CASCADE)"),
           QStringLiteral("CREATE TABLE deletions ("
                          " uuid TEXT PRIMARY KEY,"
                          " office TEXT NOT NULL,"
                          " sent INTEGER NOT NULL)"),
           QStringLiteral("CREATE TABLE yard_cursor ("
                          " id INTEGER PRIMARY KEY CHECK (id = 1),"
                          " after_xid TEXT NOT NULL,"
                          " after_seq INTEGER NOT NULL)"),
       },
       giveRecordsIdentity},
      // Local to this computer, like the file it names.
      {5, {QStringLiteral("ALTER TABLE records ADD COLUMN pdf_path TEXT")}},
      // The full-text index of the search forms, and an index of each state's list and totals.
      {6,
       {
           // One token per character of the form (searchable.h); the index keeps no texts and no
           // sizes, only where each token stands in which record.
           QStringLiteral("CREATE VIRTUAL TABLE record_search USING fts5("
                          "chars, content='', columnsize=0, tokenize='ascii')"),
           QStringLiteral("CREATE TABLE record_search_gone ("
                          " id INTEGER PRIMARY KEY,"
                          " search TEXT NOT NULL)"),
           QStringLiteral(
               "CREATE TRIGGER records_leave_search AFTER DELETE ON records BEGIN"
               " INSERT OR REPLACE INTO record_search_gone (id, search) VALUES (old.id, old.search);"
               " END"),
           // A state's records newest first, and their totals, over any range of days, read this
           // index alone.
           QStringLiteral(
               "CREATE INDEX records_by_state ON records (state, at_ms, id, pieces_units, pieces_scale,"
               " volume_units, volume_scale, amount_units, amount_scale)"),
           // The count and sums of the records of each state and scales, kept by triggers on any
           // insert and delete of a record: the totals of a whole state read a few rows.
           QStringLiteral("CREATE TABLE record_sums (state INTEGER NOT NULL,") + kSumColumns +
               QStringLiteral(" PRIMARY KEY (state, pieces_scale, volume_scale, amount_scale))"),
           QStringLiteral("CREATE TRIGGER records_add_sums AFTER INSERT ON records BEGIN ") + kAddSums +
               QStringLiteral(" END"),
           QStringLiteral("CREATE TRIGGER records_take_sums AFTER DELETE ON records BEGIN ") + kTakeSums +
               QStringLiteral(" END"),
           QStringLiteral("INSERT INTO record_sums SELECT state, pieces_scale, volume_scale, amount_scale,"
                          " COUNT(*), COUNT(pieces_units), IFNULL(SUM(pieces_units), 0), COUNT(volume_units),"
                          " IFNULL(SUM(volume_units), 0), COUNT(amount_units), IFNULL(SUM(amount_units), 0)"
                          " FROM records GROUP BY state, pieces_scale, volume_scale, amount_scale"),
       },
       indexSearchForms},
      // The totals of the records holding each gram of one or two characters.
      {7,
       {
           QStringLiteral("CREATE TABLE gram_sums (gram BIGINT NOT NULL, state INTEGER NOT NULL,"
                          " office TEXT NOT NULL,") +
               kSumColumns +
               QStringLiteral(" PRIMARY KEY (gram, state, office, pieces_scale, volume_scale, amount_scale))"
                              " WITHOUT ROWID"),
           QStringLiteral("ALTER TABLE record_search_gone ADD COLUMN state INTEGER"),
           QStringLiteral("ALTER TABLE record_search_gone ADD COLUMN office TEXT"),
           QStringLiteral("ALTER TABLE record_search_gone ADD COLUMN pieces_units BIGINT"),
           QStringLiteral("ALTER TABLE record_search_gone ADD COLUMN pieces_scale INTEGER"),
           QStringLiteral("ALTER TABLE record_search_gone ADD COLUMN volume_units BIGINT"),
           QStringLiteral("ALTER TABLE record_search_gone ADD COLUMN volume_scale INTEGER"),
           QStringLiteral("ALTER TABLE record_search_gone ADD COLUMN amount_units BIGINT"),
           QStringLiteral("ALTER TABLE record_search_gone ADD COLUMN amount_scale INTEGER"),
           QStringLiteral("DROP TRIGGER records_leave_search"),
           QStringLiteral(
               "CREATE TRIGGER records_leave_search AFTER DELETE ON records BEGIN"
               " INSERT OR REPLACE INTO record_search_gone (id, search, state, office, pieces_units,"
               " pieces_scale, volume_units, volume_scale, amount_units, amount_scale) VALUES (old.id,"
               " old.search, old.state, old.office, old.pieces_units, old.pieces_scale, old.volume_units,"
               " old.volume_scale, old.amount_units, old.amount_scale);"
               " END"),
       },
       sumGrams},
  };
  return kMigrations;
}

int schemaVersion() { return migrations().back().version; }

}  // namespace quenby::store

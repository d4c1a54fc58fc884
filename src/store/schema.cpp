#include "store/schema.h"

#include "store/records.h"

namespace quenby::store {

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
  };
  return kMigrations;
}

int schemaVersion() { return migrations().back().version; }

}  // namespace quenby::store

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
      // The full-text index of the search forms, and the totals of a state read from an index.
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
           QStringLiteral("CREATE INDEX records_by_state ON records (state, pieces_units, pieces_scale,"
                          " volume_units, volume_scale, amount_units, amount_scale)"),
       },
       indexSearchForms},
  };
  return kMigrations;
}

int schemaVersion() { return migrations().back().version; }

}  // namespace quenby::store

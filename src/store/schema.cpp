#include "store/schema.h"

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
  };
  return kMigrations;
}

int schemaVersion() { return migrations().back().version; }

}  // namespace quenby::store

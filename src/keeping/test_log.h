#pragma once
// Test mode, inert unless the environment variable QUENBY_TEST_LOG names a file. The program then
// appends one JSON line to that file after each save is committed (written from the store's own
// thread: the saves go as they do without the test mode),
//   {"saved": n, "shown": key, "sheets": {key: {"Text1(0)": text, …}, …}}
// and one when the windows are up at start,
//   {"start": "fresh" | "recovered", "storeUs": …, "recoverUs": …, "shown": key,
//    "windows": {key: {"Text1(0)": the text its widget shows, …}, …}},
// one each time the ledger window has read its list,
//   {"ledger": rows, "search": text, "totals": the line under the list, "sync": the shared ledger's
//    status line, "first": [cells of row 0]},
// and one after a record was reopened, {"reopened": key, "shown": key, "windows": {…}}, so that
// a test of the real program can wait for a save and read back what a start or the ledger shows.

#include <QJsonObject>
#include <QString>
#include <memory>
#include <mutex>

#include "store/snapshot.h"

namespace quenby::ledger {
class LedgerWindow;
}

namespace quenby::app {

class Calculators;

class TestLog {
 public:
  // Nothing unless QUENBY_TEST_LOG is set.
  static std::unique_ptr<TestLog> fromEnvironment();

  void saved(const store::Snapshot& snapshot);
  void started(const Calculators& calculators, bool recovered, qint64 storeUs, qint64 recoverUs);
  void listed(const ledger::LedgerWindow& window);
  void reopened(const Calculators& calculators, std::string_view key);

 private:
  explicit TestLog(QString path) : path_(std::move(path)) {}
  void append(const QJsonObject& line);

  QString path_;
  std::mutex mutex_;  // the lines come from the window's thread and the store's
  int saves_ = 0;
};

}  // namespace quenby::app

#pragma once
// What the store tests share: a temporary folder per test for the database, the driver program
// as a second Quenby process, and private tmpfs mounts for a read-only or a full data folder.

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include "store/store.h"

namespace quenby::store::testing {

class StoreTest : public ::testing::Test {
 protected:
  // The database in a folder that does not exist yet: the store makes it.
  QString path() const { return dir_.filePath(QStringLiteral("data/quenby.sqlite")); }
  QString folder() const { return dir_.filePath(QStringLiteral("data")); }
  QString scratch(const QString& name) const { return dir_.filePath(name); }

 private:
  QTemporaryDir dir_;
};

// The driver program (store_driver.cpp) running with `arguments`, killed when destroyed.
class Driver {
 public:
  explicit Driver(const QStringList& arguments);
  ~Driver();
  // Waits for the line `line` on the driver's output.
  bool waitFor(const QByteArray& line);
  void kill();  // SIGKILL, and waits for the end

 private:
  QProcess process_;
};

// main() enters a mount namespace of the test's own where it can (mounts made in it vanish with
// the test process). Without one the tests that need a mount are skipped.
bool canMount();
// Mounts a tmpfs of `bytes` at the existing folder `at`; returns an error text, empty on success.
QString mountTmpfs(const QString& at, qint64 bytes);
QString remountReadOnly(const QString& at);
// Fills the file system of `folder` to the last byte with the file `filler`.
void fill(const QString& filler);

}  // namespace quenby::store::testing

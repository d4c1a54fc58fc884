// Fault: no test built the program as main() does, its parts made in their order. Built on a
// private store: typed into and ended without the exit buttons, the next build brings the text
// back and says so; built with --ledger, it opens the ledger.

#include "app/program.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>

#include "ledger/ledger_window.h"
#include "ui_test_support.h"

namespace quenby {
namespace {

// Sets environment variables until the end of the scope.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::initializer_list<std::pair<const char*, QByteArray>> values) {
    for (const auto& [name, value] : values) {
      saved_.push_back({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
      qputenv(name, value);
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) value ? qputenv(name, *value) : qunsetenv(name);
  }

 private:
  std::vector<std::pair<const char*, std::optional<QByteArray>>> saved_;
};

TEST(Program, BuiltAsMainDoesItKeepsTheSheetsAndOpensTheLedgerAlone) {
  QTemporaryDir home;
  const QString log = home.filePath("test.log");
  ScopedEnvironment environment{{"XDG_DATA_HOME", home.filePath("data").toUtf8()},
                                {"XDG_CONFIG_HOME", home.filePath("config").toUtf8()},
                                {"QUENBY_PRESTART", "0"},
                                {"QUENBY_TEST_LOG", log.toUtf8()}};
  // Whether a save holding `text` is logged (the log's save lines begin {"saved":…).
  auto saved = [&](const QByteArray& text) {
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : file.readAll().split('\n'))
      if (line.startsWith("{\"saved\"") && line.contains(text)) return true;
    return false;
  };
  {
    app::Program first(app::CommandLine{});
    first.calculators().startWindow()->show();
    testing::retype(first.calculators().startWindow()->control<QLineEdit>({"Text17"}), "Wang farm");
    ASSERT_TRUE(QTest::qWaitFor([&] { return saved("\"Text17\":\"Wang farm\""); }, 5000));
  }  // ended without the exit buttons
  {
    testing::MessageBoxAnswerer told;
    app::Program second(app::CommandLine{});
    EXPECT_EQ(second.calculators().startWindow()->control<QLineEdit>({"Text17"})->text(), "Wang farm");
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.seen().shown; }, 2000));
    EXPECT_EQ(told.seen().text, "已恢复上次未正常退出时的数据");
  }
  {
    testing::MessageBoxAnswerer told;  // the recovery is told again: the second run did not exit either
    const app::Program ledgerAlone(app::CommandLine{.ledger = true});
    QTest::qWaitFor([&] { return told.seen().shown; }, 2000);
    int ledgers = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<ledger::LedgerWindow*>(w) && w->isVisible()) ++ledgers;
    EXPECT_EQ(ledgers, 1);
  }
}

}  // namespace
}  // namespace quenby

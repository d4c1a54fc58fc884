// The application's side of the store: what is saved and when, what a start brings back, how each
// way of ending leaves the next start, and the store's failures told once. Every case runs on a
// store of its own in a temporary folder; "the next start" is a second store opened there after
// the first is gone.

#include "keeping/autosave.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "app/setup.h"
#include "recording_host.h"
#include "ui_test_support.h"
#include "windows/calculators.h"

namespace quenby {
namespace {

using app::Autosave;
using app::Calculators;
using store::Snapshot;

// One session of the program on the store at `path`: its autosave and its windows, Form1 shown.
struct Session {
  explicit Session(const QString& path, ExportServices services = {},
                   std::chrono::milliseconds delay = Autosave::kDelay)
      : autosave(path, delay),
        calculators(autosave.withSaveBeforeExport(std::move(services)), [](const QUrl&) {}) {
    autosave.store().setBeforeCommit([this] { ++commits; });
    recovered = autosave.keep(calculators);
    if (!calculators.shown()) calculators.startWindow()->show();
  }
  QLineEdit* edit(Calculators::Calculator which, FieldId id) {
    return calculators.window(which)->control<QLineEdit>(id);
  }
  QComboBox* combo(Calculators::Calculator which, FieldId id) {
    return calculators.window(which)->control<QComboBox>(id);
  }

  std::atomic<int> commits{0};
  Autosave autosave;  // outlives the windows, as in the program
  Calculators calculators;
  bool recovered = false;
};

std::u16string textIn(const Snapshot& s, std::string_view key, FieldId id) {
  if (const store::SheetState* sheet = s.sheet(key))
    for (const store::FieldText& f : sheet->fields)
      if (f.name == id.name && f.index == id.index) return f.text;
  return u"(no such field)";
}

// What the next start finds, after the run is gone.
std::optional<Snapshot> nextStart(const QString& path) { return store::Store(path).recover(); }

class AutosaveTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  const QString path = dir.filePath("quenby.sqlite");
};

TEST_F(AutosaveTest, EveryKindOfChangeIsSavedWithinASecondWithoutWaitingForTheEnd) {
  struct Row {
    const char* what;
    std::function<void(Session&)> act;
    std::string_view key;
    FieldId field;
    std::u16string text;
    std::string shown;
  };
  const Row rows[] = {
      {"a field typed on Form1",
       [](Session& r) { testing::retype(r.edit(Calculators::LogTally, {"Text17"}), "Wang farm"); },
       "logtally",
       {"Text17"},
       u"Wang farm",
       "logtally"},
      {"fields a button changes by code (Command4 clears the count)",
       [](Session& r) {
         testing::retype(r.edit(Calculators::LogTally, {"Text1", 1}), "5");
         r.autosave.saveNow();
         const int before = r.commits;
         QTest::mouseClick(r.calculators.startWindow()->control({"Command4"}), Qt::LeftButton);
         EXPECT_TRUE(QTest::qWaitFor([&] { return r.commits > before; }, 5000));
       },
       "logtally",
       {"Text1", 1},
       u"",
       "logtally"},
      {"a field of Form2, which did not exist when the autosave began",
       [](Session& r) {
         r.calculators.switchTo("多 材 长");
         r.autosave.saveNow();
         const int before = r.commits;
         testing::retype(r.edit(Calculators::MultiLength, {"Text27"}), "Li Si");
         EXPECT_TRUE(QTest::qWaitFor([&] { return r.commits > before; }, 5000));
       },
       "multilength",
       {"Text27"},
       u"Li Si",
       "multilength"},
      {"a switch alone",
       [](Session& r) { r.calculators.switchTo("锯材计算"); },
       "sawn",
       {"Text10"},
       u"",
       "sawn"},
  };
  for (const Row& row : rows) {
    QTemporaryDir own;
    const QString at = own.filePath("quenby.sqlite");
    {
      Session run(at, {}, std::chrono::milliseconds(100));
      row.act(run);
      ASSERT_TRUE(QTest::qWaitFor([&] { return run.commits > 0; }, 5000)) << row.what;
    }  // ends with nothing more to write, as a crash would leave it
    const std::optional<Snapshot> saved = nextStart(at);
    ASSERT_TRUE(saved) << row.what;
    EXPECT_EQ(textIn(*saved, row.key, row.field), row.text) << row.what;
    EXPECT_EQ(saved->shown, row.shown) << row.what;
  }
}

// A run that ended abnormally, with texts the clearing rules would empty if they were typed in
// this order, Combo3 on an entry other than the shown window's, and no sawn-timber sheet.
// Fault: a wait that began again at every key would save nothing while the user types on without
// a pause, and a crash would lose all of it. With the delay at 100 ms, a key every 20 ms for
// 300 ms: saves come during the typing, the first within the delay of the first key.
TEST_F(AutosaveTest, TypingWithoutAPauseIsSavedWithinTheDelayOfTheFirstKey) {
  Session run(path, {}, std::chrono::milliseconds(100));
  QLineEdit* field = run.edit(Calculators::LogTally, {"Text17"});
  field->setFocus();
  int commitsWhileTyping = 0;
  for (int key = 0; key < 15; ++key) {
    QTest::keyClick(field, Qt::Key_A);
    QTest::qWait(20);
    if (key == 7) commitsWhileTyping = run.commits;  // 160 ms after the first key
  }
  EXPECT_GE(commitsWhileTyping, 1);
  EXPECT_GE(run.commits, 2);
}

// Fault: the test mode made every save wait for its commit on the window's thread, so that the
// tests of the real program never ran the writer users get. A commit held on the store's thread
// holds nothing here, and the save's line comes once it is committed.
TEST_F(AutosaveTest, TheTestLogWaitsForNoSaveAndLogsEachOnceCommitted) {
  QTemporaryDir logDir;
  const QString logPath = logDir.filePath("test.log");
  qputenv("QUENBY_TEST_LOG", logPath.toUtf8());
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<bool> holding{false};
  {
    Session run(path, {}, std::chrono::milliseconds(50));
    qunsetenv("QUENBY_TEST_LOG");
    run.autosave.store().setBeforeCommit([&] {
      holding = true;
      released.wait_for(std::chrono::seconds(3));
    });
    testing::retype(run.edit(Calculators::LogTally, {"Text17"}), "Wang farm");
    ASSERT_TRUE(QTest::qWaitFor([&] { return holding.load(); }, 5000));
    auto savedLines = [&] {
      QFile log(logPath);
      return log.open(QIODevice::ReadOnly) ? log.readAll().count("\"saved\"") : 0;
    };
    EXPECT_EQ(savedLines(), 0) << "logged before it was committed, or the window waited for it";
    release.set_value();
    EXPECT_TRUE(QTest::qWaitFor([&] { return savedLines() == 1; }, 5000));
  }
}

TEST_F(AutosaveTest, AStartBringsBackEachTextAsItWasAndTheWindowThatWasShown) {
  const std::u16string lone =
      u"A\xD800"
      u"B";  // a lone surrogate
  {
    store::Store before(path);
    Snapshot s;
    s.sheets.push_back({"logtally",
                        {{"Text7", 5, u"1.2340"},
                         {"Text7", 4, u""},
                         {"Combo3", -1, u"锯材计算"},
                         {"Text17", -1, lone},
                         {"Text3", 0, u""},
                         {"Text99", 0, u"a field since dropped"}}});
    s.sheets.push_back({"multilength", {{"Text27", -1, u"李四"}}});
    s.shown = "multilength";
    before.save(s);
  }
  testing::MessageBoxAnswerer answerer;
  Session run(path);
  EXPECT_TRUE(run.recovered);
  EXPECT_EQ(run.calculators.window(Calculators::SawnTimber), nullptr);
  EXPECT_EQ(run.calculators.shown(), Calculators::MultiLength);
  EXPECT_FALSE(run.calculators.startWindow()->isVisible());

  struct Shown {
    Calculators::Calculator which;
    FieldId id;
    QString widget;
    std::u16string field;
  };
  const Shown expected[] = {
      {Calculators::LogTally, {"Text7", 5}, "1.2340", u"1.2340"},  // a volume without a count
      {Calculators::LogTally, {"Text3", 0}, "", u""},              // a standard diameter deleted
      {Calculators::LogTally, {"Text17"}, QString::fromStdU16String(lone), lone},
      {Calculators::LogTally, {"Text2", 0}, "6", u"6"},  // not in the snapshot: as a fresh sheet has it
      {Calculators::LogTally, {"Combo3"}, "锯材计算", u"锯材计算"},
      {Calculators::MultiLength, {"Text27"}, "李四", u"李四"},
  };
  for (const Shown& e : expected) {
    shell::SheetWindow* w = run.calculators.window(e.which);
    QWidget* widget = w->control(e.id);
    const QString shown = qobject_cast<QComboBox*>(widget) ? qobject_cast<QComboBox*>(widget)->currentText()
                                                           : qobject_cast<QLineEdit*>(widget)->text();
    EXPECT_EQ(shown, e.widget) << toString(e.id);
    EXPECT_EQ(w->attachedSheet()->field(e.id).text(), e.field) << toString(e.id);
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return answerer.seen().shown; }, 2000));
  ASSERT_EQ(answerer.all().size(), 1u);
  EXPECT_EQ(answerer.seen().title, "Quenby");
  EXPECT_EQ(answerer.seen().text, "已恢复上次未正常退出时的数据");
  EXPECT_EQ(answerer.seen().icon, QMessageBox::Information);
  EXPECT_EQ(answerer.seen().buttons, QMessageBox::Ok);
  EXPECT_EQ(run.commits, 0);  // putting the sheets back changed no field
}

TEST_F(AutosaveTest, ARunEndedWithNothingTypedIsNotBroughtBack) {
  {
    Session run(path);
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });  // as a termination signal ends it
    ASSERT_EQ(app::run(run.calculators), 0);
  }
  testing::MessageBoxAnswerer answerer;
  Session next(path);
  EXPECT_FALSE(next.recovered);
  EXPECT_EQ(next.calculators.shown(), Calculators::LogTally);
  QTest::qWait(200);
  EXPECT_TRUE(answerer.all().empty()) << answerer.seen().text.toStdString();
}

TEST_F(AutosaveTest, TheUserOwnExitAloneMakesTheNextStartFresh) {
  struct Row {
    const char* what;
    std::function<void(Session&)> end;
    bool nextStartRecovers;
  };
  const Row rows[] = {
      {"Command6 on Form1",
       [](Session& r) {
         QTest::mouseClick(r.calculators.startWindow()->control({"Command6"}), Qt::LeftButton);
       },
       false},
      {"closing Form2 by the window system",
       [](Session& r) {
         r.calculators.switchTo("多 材 长");
         r.calculators.window(Calculators::MultiLength)->close();
       },
       false},
      {"closing Form1 while the desktop session ends",
       [](Session& r) {
         r.autosave.sessionEnds();
         r.calculators.startWindow()->close();
       },
       true},
      {"the event loop ended as a termination signal ends it", [](Session&) { QCoreApplication::exit(0); },
       true},
  };
  for (const Row& row : rows) {
    QTemporaryDir own;
    const QString at = own.filePath("quenby.sqlite");
    {
      Session run(at);
      QTimer watchdog;
      watchdog.setSingleShot(true);
      QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
      watchdog.start(3000);
      QTimer::singleShot(0, &watchdog, [&] {
        // Typed just before the end: no autosave has run yet.
        testing::retype(run.edit(Calculators::LogTally, {"Text17"}), "last line");
        row.end(run);
      });
      ASSERT_EQ(app::run(run.calculators), 0) << row.what << ": the program did not end";
    }
    const std::optional<Snapshot> next = nextStart(at);
    EXPECT_EQ(next.has_value(), row.nextStartRecovers) << row.what;
    if (next) {
      EXPECT_EQ(textIn(*next, "logtally", {"Text17"}), u"last line") << row.what;
    }
  }
}

TEST_F(AutosaveTest, AnExportWritesTheSheetsFirst) {
  testing::Recording recording;
  int commitsAtExport = -1;
  Session* running = nullptr;
  ExportServices services{
      .workbookPath = "/nowhere/bill.xls",
      .newHost = [&]() -> std::unique_ptr<SpreadsheetHost> {
        commitsAtExport = running->commits;
        return std::make_unique<testing::RecordingHost>(recording);
      },
      .newViewer = [&] { return std::make_unique<testing::RecordingViewer>(recording); },
  };
  Session run(path, services);
  running = &run;
  testing::retype(run.edit(Calculators::LogTally, {"Text17"}), "Wang farm");
  testing::MessageBoxAnswerer answerer;  // the reminder
  QTest::mouseClick(run.calculators.startWindow()->control({"Command3"}), Qt::LeftButton);
  EXPECT_EQ(recording.saves, 1);
  EXPECT_EQ(commitsAtExport, 1);
}

TEST_F(AutosaveTest, AStoreThatCannotBeUsedIsToldOnceAndTheWindowsWorkOn) {
  struct Row {
    const char* what;
    std::function<QString(const QDir&)> prepare;  // returns the database's path
    QString told;                                 // the start of the message
    QString alsoTold;                             // a part of it
  };
  const Row rows[] = {
      {"the data folder is a file",
       [](const QDir& d) {
         QFile file(d.filePath("Quenby"));
         EXPECT_TRUE(file.open(QIODevice::WriteOnly));
         return d.filePath("Quenby/quenby.sqlite");
       },
       "错误 1201", "Quenby"},
      {"the database is garbage",
       [](const QDir& d) {
         QFile file(d.filePath("quenby.sqlite"));
         EXPECT_TRUE(file.open(QIODevice::WriteOnly));
         file.write(QByteArray(8192, 'x'));
         return d.filePath("quenby.sqlite");
       },
       "错误 1202", "quenby.sqlite.damaged-"},
  };
  for (const Row& row : rows) {
    QTemporaryDir own;
    const QString at = row.prepare(QDir(own.path()));
    testing::MessageBoxAnswerer answerer;
    Session run(at, {}, std::chrono::milliseconds(100));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answerer.seen().shown; }, 2000));
    EXPECT_TRUE(answerer.seen().text.startsWith(row.told))
        << row.what << ": " << answerer.seen().text.toStdString();
    EXPECT_TRUE(answerer.seen().text.contains(row.alsoTold)) << row.what;
    QLineEdit* count = run.edit(Calculators::LogTally, {"Text1", 1});
    testing::retype(count, "7");
    QTest::qWait(400);  // an autosave's time (100 ms here) and more
    EXPECT_EQ(run.calculators.startWindow()->attachedSheet()->field(FieldId{"Text1", 1}).text(), u"7")
        << row.what;
    EXPECT_EQ(answerer.all().size(), 1u) << row.what;
  }
}

}  // namespace
}  // namespace quenby

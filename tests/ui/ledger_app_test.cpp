// The application's side of the ledger: what an export of each sheet records and how the list
// shows it; the drafts the user's exit keeps; a record reopened into its sheet and exported again;
// a record reopened into a sheet that holds it already; an export that cannot be recorded. Each
// case runs on a store of its own, a recording spreadsheet host, a fixed clock and the local time
// of Shanghai.
#include <time.h>

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <functional>

#include "keeping/autosave.h"
#include "keeping/ledger_access.h"
#include "keeping/sheet_recorder.h"
#include "ledger/ledger_model.h"
#include "recording_host.h"
#include "store/ledger.h"
#include "store/office.h"
#include "ui_test_support.h"
#include "windows/calculators.h"

namespace quenby {
namespace {

using app::Calculators;

const qint64 kNow =
    QDateTime::fromString(QStringLiteral("2024-03-31T10:00:00+08:00"), Qt::ISODate).toMSecsSinceEpoch();

// One run of the program on the store at `path`: Form1 shown, exports into `r`.
struct Session {
  Session(const QString& path, testing::Recording& r, std::string pdfFolder = {},
          std::string bill = "/bills/账单明细.xls")
      : autosave(path),
        calculators(autosave.withSaveBeforeExport(withPdfs(testing::recordingServices(r, bill), pdfFolder)),
                    [](const QUrl&) {}),
        records(autosave.store(), calculators, [] { return kNow; }),
        ledger(calculators, records, path, [] { return QDate(2024, 3, 31); }) {
    autosave.setDraftsAtExit([this] { return records.draftsAtExit(); });
    autosave.setDraftsOfStranded(&app::SheetRecorder::draftsOfStranded);
    recovered = autosave.keep(calculators);
    calculators.startWindow()->show();
  }
  static ExportServices withPdfs(ExportServices services, std::string pdfFolder) {
    services.pdfFolder = std::move(pdfFolder);
    return services;
  }
  // Replaces the text of a field or a combo box's caption, committed at once as by an input method.
  void put(Calculators::Calculator which, std::string_view name, int index, const QString& text) {
    QWidget* w = calculators.window(which)->control({name, index});
    QLineEdit* edit =
        qobject_cast<QComboBox*>(w) ? qobject_cast<QComboBox*>(w)->lineEdit() : qobject_cast<QLineEdit*>(w);
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty()) {
      QTest::keyClick(edit, Qt::Key_Backspace);
      return;
    }
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(edit, &typed);
  }
  // Chooses entry `entry` of Form1's calculator selector, as from its list.
  void choose(int entry) {
    QComboBox* selector = calculators.startWindow()->control<QComboBox>({"Combo3"});
    selector->setCurrentIndex(entry);
    emit selector->textActivated(selector->currentText());
  }
  // Clicks a button; an export's record, written on the store's thread, is waited for and its
  // outcome delivered.
  void click(Calculators::Calculator which, std::string_view button) {
    QTest::mouseClick(calculators.window(which)->control({button}), Qt::LeftButton);
    autosave.store().flush();
    QCoreApplication::processEvents();
  }

  app::Autosave autosave;  // outlives the windows, as in the program
  Calculators calculators;
  app::SheetRecorder records;
  app::LedgerAccess ledger;
  bool recovered = false;
};

// Every row of the ledger in the store at `path`, newest first, each as its cells up to the state
// joined by " | " (all of this program's office).
std::vector<std::string> listed(const QString& path) {
  store::Ledger ledger(path);
  std::vector<std::string> rows;
  for (const store::LedgerRow& row : ledger.rows({}, {}, ledger.lastId(), 0, 100)) {
    QStringList cells;
    for (int c = 0; c <= static_cast<int>(store::Column::State); ++c)
      cells << store::shownText(row, static_cast<store::Column>(c));
    EXPECT_EQ(row.office, store::thisOffice());
    rows.push_back(cells.join(QStringLiteral(" | ")).toStdString());
  }
  return rows;
}

class LedgerAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("TZ", "Asia/Shanghai");
    ::tzset();
  }
  QTemporaryDir dir;
  const QString path = dir.filePath("quenby.sqlite");
  testing::Recording rec;
};

// Fault: the record of an export without the path of the PDF made at it (the ledger could not
// open it, and would offer to make it again).
TEST_F(LedgerAppTest, AnExportsRecordKeepsThePathOfItsPdf) {
  rec.pdfText = "%PDF-1.6";
  const std::string pdfs = dir.filePath("Quenby 账单").toStdString();
  Session run(path, rec, pdfs);
  testing::MessageBoxAnswerer reminders;
  run.put(Calculators::LogTally, "Text17", -1, "王家林场");
  run.click(Calculators::LogTally, "Command3");
  ASSERT_EQ(rec.shown, 1);
  store::Ledger ledger(path);
  const std::vector<store::LedgerRow> rows = ledger.rows({}, {}, ledger.lastId(), 0, 10);
  ASSERT_EQ(rows.size(), 1u);
  const QFileInfo pdf(rows[0].pdfPath);
  EXPECT_TRUE(pdf.fileName().endsWith(QStringLiteral(" 原木一 王家林场.pdf")))
      << pdf.fileName().toStdString();
  EXPECT_TRUE(pdf.absolutePath().startsWith(QString::fromStdString(pdfs) + "/"))
      << pdf.absolutePath().toStdString();
  EXPECT_TRUE(pdf.isFile());
}

// Faults: 生成 PDF writing the record into the user's bill rather than a scratch copy of it, or its
// PDF's path not noted in the ledger (the record would go on having none).
TEST_F(LedgerAppTest, MakingARecordsPdfWritesACopyOfTheBillAndNotesThePath) {
  const QString bill = dir.filePath("账单明细.xls");
  QFile file(bill);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("the user's bill");
  file.close();
  const QString pdfs = dir.filePath("Quenby 账单");
  Session run(path, rec, pdfs.toStdString(), bill.toStdString());
  testing::MessageBoxAnswerer boxes;  // the reminder, and why the export has no PDF
  run.put(Calculators::LogTally, "Text17", -1, "王家林场");
  run.click(Calculators::LogTally, "Command3");  // the host writes no PDF yet
  ASSERT_EQ(rec.shown, 1);
  rec.pdfText = "%PDF-1.6";
  run.ledger.open();
  for (QPushButton* b : run.ledger.window()->findChildren<QPushButton*>())
    if (b->text() == "生成 PDF") b->click();

  ASSERT_EQ(rec.paths.size(), 2u);
  EXPECT_EQ(rec.paths[0], bill.toStdString());
  EXPECT_NE(rec.paths[1], bill.toStdString());
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(rec.paths[1]))) << "the scratch copy stayed";
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "the user's bill");
  store::Ledger ledger(path);
  const std::vector<store::LedgerRow> rows = ledger.rows({}, {}, ledger.lastId(), 0, 10);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].pdfPath, pdfs + "/2024-03/2024-03-31 100000 原木一 王家林场.pdf");
  EXPECT_TRUE(QFileInfo(rows[0].pdfPath).isFile());
}

TEST_F(LedgerAppTest, AnExportOfEachSheetIsRecordedAsTheListShowsIt) {
  Session run(path, rec);
  testing::MessageBoxAnswerer reminders;
  run.put(Calculators::LogTally, "Text17", -1, "王家林场");
  run.put(Calculators::LogTally, "Text20", -1, "李四木材");
  run.put(Calculators::LogTally, "Text27", -1, "杉木");
  run.put(Calculators::LogTally, "Text19", 4, "12");
  run.put(Calculators::LogTally, "Text19", 3, "0.136");
  run.put(Calculators::LogTally, "Text19", 2, "68.00");
  run.click(Calculators::LogTally, "Command3");
  run.calculators.switchTo("多 材 长");
  run.put(Calculators::MultiLength, "Text27", -1, "赵六");
  run.put(Calculators::MultiLength, "Text23", -1, "钱七林场");
  run.put(Calculators::MultiLength, "Text29", -1, "松木");
  run.put(Calculators::MultiLength, "Text22", 5, "30");
  run.put(Calculators::MultiLength, "Text22", 4, "2.500");
  run.put(Calculators::MultiLength, "Text22", 6, "1500.00");  // priced at the average price only
  run.click(Calculators::MultiLength, "Command2");
  run.calculators.switchTo("锯材计算");
  run.put(Calculators::SawnTimber, "Combo3", -1, "公司名称");
  run.put(Calculators::SawnTimber, "Text10", -1, "新华木业");
  run.put(Calculators::SawnTimber, "Text13", -1, "孙八");
  run.put(Calculators::SawnTimber, "Text8", -1, "1.2345");
  run.put(Calculators::SawnTimber, "Text9", -1, "3000.50");
  run.click(Calculators::SawnTimber, "Command4");
  ASSERT_EQ(rec.shown, 3);

  EXPECT_EQ(listed(path), (std::vector<std::string>{
                              "2024-03-31 10:00 | 锯材账单 | 公司名称：新华木业 | 出货单位：孙八 |  |  | "
                              "1.2345 | 3000.50 | 已导出",
                              "2024-03-31 10:00 | 原木二 | 购货单位：赵六 | 售货单位：钱七林场 | 松木 | 30 | "
                              "2.500 | 1500.00 | 已导出",
                              "2024-03-31 10:00 | 原木一 | 购货单位：王家林场 | 出货单位：李四木材 | 杉木 | "
                              "12 | 0.136 | 68.00 | 已导出",
                          }));
  shell::SheetWindow* form3 = run.calculators.window(Calculators::SawnTimber);
  form3->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form3));
  QTest::keyClick(form3, Qt::Key_L, Qt::ControlModifier);
  ASSERT_TRUE(run.ledger.window() && run.ledger.window()->isVisible()) << "Ctrl+L on a sheet window";
  EXPECT_EQ(run.ledger.window()->totalsText(),
            "共 3 条记录　件数合计 42　材积合计 3.8705 立方米　金额合计 4568.50 元");
}

// Fault: the record was made only once the bill was shown, so a bill saved but not shown (no
// application for it) was in no ledger; and a silent restart that saves the bill again must not
// record it twice.
TEST_F(LedgerAppTest, ABillSavedButNotShownIsRecordedOncePerClick) {
  Session run(path, rec);
  testing::MessageBoxAnswerer boxes;
  run.put(Calculators::LogTally, "Text17", -1, "王家林场");
  rec.failShows = 2;  // the click and its silent restart
  run.click(Calculators::LogTally, "Command3");
  EXPECT_EQ(rec.saves, 2);
  EXPECT_EQ(rec.shown, 0);
  ASSERT_EQ(boxes.all().size(), 2u);  // the reminder, then 1006
  EXPECT_TRUE(boxes.all()[1].text.startsWith("错误 1006：")) << boxes.all()[1].text.toStdString();
  EXPECT_EQ(listed(path), (std::vector<std::string>{
                              "2024-03-31 10:00 | 原木一 | 购货单位：王家林场 |  |  |  |  |  | 已导出",
                          }));
}

TEST_F(LedgerAppTest, TheUsersExitKeepsEveryTypedSheetNotInTheLedgerAsADraft) {
  {
    Session run(path, rec);
    testing::MessageBoxAnswerer reminders;
    run.choose(2);  // 锯材计算: Form1's selector changes, which is no typing
    run.click(Calculators::SawnTimber, "Command5");  // back
    EXPECT_TRUE(run.records.draftsAtExit().empty()) << "switching windows is no typing";
    run.put(Calculators::LogTally, "Text17", -1, "草稿一");
    run.calculators.switchTo("多 材 长");
    run.put(Calculators::MultiLength, "Text27", -1, "typed, then taken back");
    run.put(Calculators::MultiLength, "Text27", -1, "");
    run.calculators.switchTo("锯材计算");
    run.put(Calculators::SawnTimber, "Text10", -1, "已导出");
    run.click(Calculators::SawnTimber, "Command4");
    run.calculators.back();
    run.click(Calculators::LogTally, "Command6");  // exit
  }
  EXPECT_EQ(listed(path), (std::vector<std::string>{
                              "2024-03-31 10:00 | 原木一 | 购货单位：草稿一 |  |  |  |  |  | 未导出",
                              "2024-03-31 10:00 | 锯材账单 | 购货单位：已导出 |  |  |  |  |  | 已导出",
                          }));
  EXPECT_FALSE(store::Store(path).recover()) << "the next start is fresh";
}

// Faults: a record of a calculator this program does not have (a newer Quenby's, another
// office's), or one whose fields can no longer be read, reopened into some sheet or crashed. Each
// is refused with 1207 in words, and no sheet changes.
TEST_F(LedgerAppTest, ARecordOfAnUnknownCalculatorOrWithDamagedFieldsIsNotReopened) {
  store::Store(path).markUserExit(
      {{kNow, store::RecordState::Exported, {"newcalc", {{"Text1", -1, u"新的"}}}},
       {kNow + 1, store::RecordState::Exported, {"logtally", {{"Text17", -1, u"坏的"}}}}});
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
    db.setDatabaseName(path);
    ASSERT_TRUE(db.open());
    QSqlQuery damage(db);
    ASSERT_TRUE(
        damage.exec(QStringLiteral("UPDATE record_fields SET fields = x'00ff00' WHERE record_id = 2")));
  }
  QSqlDatabase::removeDatabase(QStringLiteral("damage"));
  Session run(path, rec);
  run.ledger.open();
  ledger::LedgerWindow* window = run.ledger.window();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  ASSERT_EQ(window->model().rowCount(), 2);
  const struct {
    int row;
    const char* told;
  } rows[] = {{0, "这条记录的内容已损坏"}, {1, "这条记录属于本版本没有的计算器"}};
  for (const auto& r : rows) {
    auto* list = window->findChild<QTableView*>();
    list->setFocus();
    list->selectRow(r.row);
    testing::MessageBoxAnswerer told;
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(told.all().size(), 1u) << r.told;
    EXPECT_TRUE(told.all()[0].text.startsWith("错误 1207：")) << told.all()[0].text.toStdString();
    EXPECT_TRUE(told.all()[0].text.contains(r.told)) << told.all()[0].text.toStdString();
    EXPECT_EQ(run.calculators.window(Calculators::LogTally)->control<QLineEdit>({"Text17"})->text(), "");
  }
}

TEST_F(LedgerAppTest, AReopenedRecordAsksBeforeReplacingTypedTextAndExportsTheSameBill) {
  Session run(path, rec);
  run.put(Calculators::LogTally, "Combo2", -1, "车牌");
  run.put(Calculators::LogTally, "Text22", -1, "辽A12345");
  run.put(Calculators::LogTally, "Text1", 1, "12");
  run.put(Calculators::LogTally, "Text2", 0, "");
  run.put(Calculators::LogTally, "Text25", -1, "=1+1");
  {
    testing::MessageBoxAnswerer reminder;
    run.click(Calculators::LogTally, "Command3");
  }
  ASSERT_EQ(rec.shown, 1);
  const auto firstBill = rec.cells;

  run.put(Calculators::LogTally, "Text1", 1, "99");
  run.put(Calculators::LogTally, "Combo2", -1, "联系人");
  run.choose(2);  // 锯材计算
  run.ledger.open();
  ledger::LedgerWindow* window = run.ledger.window();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  testing::KeyAnswerer question(Qt::Key_Return);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // the list: its newest row
  ASSERT_EQ(question.seen().size(), 1u);
  EXPECT_EQ(question.seen()[0].defaultButton, "替换");
  EXPECT_EQ(question.seen()[0].buttons, (QStringList{"取消", "替换"}));

  shell::SheetWindow* form1 = run.calculators.window(Calculators::LogTally);
  EXPECT_EQ(run.calculators.shown(), Calculators::LogTally);
  EXPECT_FALSE(run.calculators.window(Calculators::SawnTimber)->isVisible());
  EXPECT_EQ(form1->control<QLineEdit>({"Text1", 1})->text(), "12");
  EXPECT_EQ(form1->control<QLineEdit>({"Text2", 0})->text(), "");
  EXPECT_EQ(form1->control<QComboBox>({"Combo2"})->currentText(), "车牌");
  EXPECT_EQ(form1->control<QComboBox>({"Combo3"})->currentText(), "锯材计算")
      << "the selector is left as it is";
  EXPECT_EQ(listed(path).size(), 2u) << "what was replaced is kept as a draft";
  EXPECT_EQ(window->model().rowCount(), 1) << "the exported bill, not the draft";

  rec.cells.clear();
  run.click(Calculators::LogTally, "Command3");
  ASSERT_EQ(rec.shown, 2);
  EXPECT_EQ(rec.cells, firstBill);
  EXPECT_EQ(listed(path).size(), 3u);
  EXPECT_EQ(window->model().rowCount(), 2) << "the list read anew after the record";
}

// Fault: a record reopened into a sheet that holds exactly its texts (brought back here after a run
// that did not end by the exit buttons) asked to replace them and kept them as a draft: the same
// load twice in the ledger.
TEST_F(LedgerAppTest, AReopenedRecordThatTheSheetHoldsAlreadyAsksNothingAndRecordsNothing) {
  {
    Session killed(path, rec);
    testing::MessageBoxAnswerer reminder;
    killed.put(Calculators::LogTally, "Text17", -1, "王家林场");
    killed.put(Calculators::LogTally, "Text1", 1, "12");
    killed.click(Calculators::LogTally, "Command3");
    ASSERT_EQ(rec.shown, 1);
  }
  Session run(path, rec);
  {
    testing::MessageBoxAnswerer told;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !told.all().empty(); }, 2000)) << "the sheets came back";
  }
  shell::SheetWindow* form1 = run.calculators.window(Calculators::LogTally);
  ASSERT_EQ(form1->control<QLineEdit>({"Text17"})->text(), "王家林场");
  run.ledger.open();
  ASSERT_TRUE(QTest::qWaitForWindowActive(run.ledger.window()));
  testing::KeyAnswerer question(Qt::Key_Return);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // the list: the exported bill
  EXPECT_TRUE(question.seen().empty()) << question.seen().front().text.toStdString();
  EXPECT_EQ(run.calculators.shown(), Calculators::LogTally);
  EXPECT_EQ(form1->control<QLineEdit>({"Text1", 1})->text(), "12");
  EXPECT_EQ(listed(path), (std::vector<std::string>{
                              "2024-03-31 10:00 | 原木一 | 购货单位：王家林场 |  |  |  |  |  | 已导出",
                          }));
}

// Two runs on one home, A killed, then B killed or ended by the exit button: the next start brought
// back B's sheets or started fresh, and A's typing was never offered again.
TEST_F(LedgerAppTest, WhatARunThatEndedOtherwiseLeftTypedIsKeptAsDraftsOnceWhenNoStartBringsItBack) {
  // What a run that opened the three windows and typed nothing saved: their sheets as made.
  store::Snapshot untyped;
  {
    Calculators made({}, [](const QUrl&) {});
    for (Calculators::Calculator which : Calculators::all())
      untyped.sheets.push_back(
          store::capture(Calculators::storeKey(which), *made.create(which)->attachedSheet()));
    untyped.shown = "logtally";
  }
  auto with = [&](std::string_view key, std::string_view field, const std::u16string& text,
                  store::Snapshot s) {
    for (store::SheetState& sheet : s.sheets)
      for (store::FieldText& f : sheet.fields)
        if (sheet.key == key && f.name == field) f.text = text;
    return s;
  };
  // Only the calculator selector moved: nothing typed.
  const store::Snapshot selectorOnly = with("logtally", "Combo3", u"锯材计算", untyped);
  auto typed = [&](const std::u16string& buyer) {
    return with("sawn", "Text10", buyer, with("logtally", "Text17", buyer, untyped));
  };
  auto withoutTime = [](std::vector<std::string> rows) {
    for (std::string& row : rows) row.erase(0, row.find(" | ") + 3);
    return rows;
  };
  const std::vector<std::string> draftsOfA = {
      "锯材账单 | 购货单位：甲 |  |  |  |  |  | 未导出（自动恢复）",
      "原木一 | 购货单位：甲 |  |  |  |  |  | 未导出（自动恢复）",
  };

  for (const bool lastExited : {false, true}) {
    const char* what = lastExited ? "B ended by the exit button" : "B killed";
    QTemporaryDir own;
    const QString at = own.filePath("quenby.sqlite");
    {
      store::Store a(at);
      a.save(typed(u"甲"));
      a.flush();
      store::Store untypedRun(at);
      untypedRun.save(selectorOnly);
      untypedRun.flush();
      store::Store b(at);
      b.save(typed(u"乙"));
      b.flush();
      if (lastExited) b.markUserExit();
    }  // A and the untyped run end as a kill leaves them
    testing::MessageBoxAnswerer boxes;
    {
      Session next(at, rec);
      EXPECT_EQ(next.recovered, !lastExited) << what;
      EXPECT_EQ(next.calculators.startWindow()->control<QLineEdit>({"Text17"})->text(),
                lastExited ? "" : "乙")
          << what;
      EXPECT_EQ(withoutTime(listed(at)), draftsOfA) << what;
    }
    { Session after(at, rec); }
    EXPECT_EQ(withoutTime(listed(at)), draftsOfA) << what << ": kept again at a later start";
  }
}

// While the store could not be written, error 1206 followed every export of the run; a newer
// Quenby's store was moved aside, so that nothing said the ledger could not be read.
TEST_F(LedgerAppTest, ExportsThatCannotBeRecordedAreToldOnceThenCountedUnderTheLedgersList) {
  struct Row {
    const char* what;
    std::function<void(const QString& store)> prepare;
    const char* ledgerSays;  // a part of the ledger's error 1207
  };
  const Row rows[] = {
      {"the store's folder is a file",
       [](const QString& store) {
         QFile inTheWay(QFileInfo(store).path());
         ASSERT_TRUE(inTheWay.open(QIODevice::WriteOnly));
       },
       "无法打开文件"},
      {"the store was made by a newer Quenby",
       [](const QString& store) {
         ASSERT_TRUE(QDir().mkpath(QFileInfo(store).path()));
         {
           QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
           db.setDatabaseName(store);
           ASSERT_TRUE(db.open());
           QSqlQuery(QStringLiteral("PRAGMA user_version = 99"), db);
         }
         QSqlDatabase::removeDatabase(QStringLiteral("newer"));
       },
       "由较新版本的 Quenby 写入，版本 99"},
  };
  for (const Row& row : rows) {
    QTemporaryDir own;
    const QString at = own.filePath("data/quenby.sqlite");
    row.prepare(at);
    testing::Recording exported;
    testing::MessageBoxAnswerer boxes;
    Session run(at, exported);
    QTest::qWait(20);  // the store's own failure is told first
    run.click(Calculators::LogTally, "Command3");
    run.click(Calculators::LogTally, "Command3");
    EXPECT_EQ(exported.saves, 2) << row.what;
    EXPECT_EQ(exported.shown, 2) << row.what;
    const auto told = std::count_if(boxes.all().begin(), boxes.all().end(), [](const auto& box) {
      return box.text.startsWith("错误 1206：账单已导出，但没有记入账单记录：无法写入");
    });
    EXPECT_EQ(told, 1) << row.what;

    run.ledger.open();
    EXPECT_TRUE(run.ledger.window()->noticeText().startsWith(
        "本次运行中有 2 张已导出的账单没有记入账单记录：无法写入“"))
        << row.what << ": " << run.ledger.window()->noticeText().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.all().back().text.startsWith("错误 1207"); }, 2000))
        << row.what;
    EXPECT_TRUE(boxes.all().back().text.contains(row.ledgerSays))
        << row.what << ": " << boxes.all().back().text.toStdString();
  }
}

}  // namespace
}  // namespace quenby

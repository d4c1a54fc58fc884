// The ledger window through its widgets: every action by the keyboard (the list focused with its
// newest row selected, arrows, Enter, Delete with keeping as the default, Ctrl+F, Escape), Escape
// in the search, sorting by a column of numbers, the state choice and its totals, the period
// buttons on a fixed day, the CSV button, why a list is empty, and a store that cannot be read.
#include <time.h>

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "ledger/ledger_model.h"
#include "ledger/ledger_window.h"
#include "store/office.h"
#include "store/store.h"
#include "ui_test_support.h"

namespace quenby {
namespace {

using ledger::LedgerWindow;

qint64 at(const char* localTime) {
  return QDateTime::fromString(QString::fromLatin1(localTime) + "+08:00", Qt::ISODate).toMSecsSinceEpoch();
}

store::LedgerRecord sawn(const char* localTime, std::u16string buyer, std::u16string amount,
                         store::RecordState state = store::RecordState::Exported) {
  return {at(localTime),
          state,
          {"sawn", {{"Combo3", -1, u"购货单位"}, {"Text10", -1, buyer}, {"Text9", -1, amount}}}};
}

class LedgerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("TZ", "Asia/Shanghai");
    ::tzset();
    store::Store(path).markUserExit({sawn("2024-02-29T18:00:00", u"甲", u"10.00"),
                                     sawn("2024-03-30T09:00:00", u"乙", u""),
                                     sawn("2024-03-31T07:30:00", u"丙", u"9.5")});
  }
  // Opens the window as Ctrl+L does; today is 2024-03-31.
  std::unique_ptr<LedgerWindow> open() {
    auto w = std::make_unique<LedgerWindow>(path, [] { return QDate(2024, 3, 31); });
    w->present();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    return w;
  }
  // The buyer column of every row, top to bottom.
  static std::string buyers(const LedgerWindow& w) {
    QStringList shown;
    for (int r = 0; r < w.model().rowCount(); ++r) shown << w.model().index(r, 2).data().toString();
    return shown.join(" | ").toStdString();
  }
  // What the window system does when a question over the window closes.
  static void reactivate(LedgerWindow& w) {
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  }
  static QComboBox* stateChoice(const LedgerWindow& w) {
    for (QComboBox* box : w.findChildren<QComboBox*>())
      if (box->accessibleName() == "账单状态") return box;
    return nullptr;
  }
  static void typeKeys(const QString& text) {
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(QApplication::focusWidget(), &typed);
  }

  QTemporaryDir dir;
  const QString path = dir.filePath("quenby.sqlite");
};

TEST_F(LedgerWindowTest, EveryActionIsReachedByTheKeyboard) {
  auto w = open();
  auto* table = w->findChild<QTableView*>();
  ASSERT_EQ(QApplication::focusWidget(), table) << "the list has the focus";
  EXPECT_EQ(table->currentIndex().row(), 0);
  EXPECT_TRUE(table->selectionModel()->isRowSelected(0));
  EXPECT_EQ(buyers(*w), "购货单位：丙 | 购货单位：乙 | 购货单位：甲") << "newest first";

  QSignalSpy reopened(w.get(), &LedgerWindow::reopenRequested);
  QTest::keyClick(table, Qt::Key_Down);
  QTest::keyClick(table, Qt::Key_Return);
  ASSERT_EQ(reopened.size(), 1);
  EXPECT_EQ(reopened[0][0].toLongLong(), w->model().recordId(1));

  {
    testing::KeyAnswerer keep(Qt::Key_Return);
    QTest::keyClick(table, Qt::Key_Delete);
    ASSERT_EQ(keep.seen().size(), 1u);
    EXPECT_EQ(keep.seen()[0].defaultButton, "保留");
    EXPECT_EQ(w->model().rowCount(), 3) << "Enter keeps the record";
  }
  reactivate(*w);
  {
    testing::KeyAnswerer remove(Qt::Key_Tab);  // not answered by a key: clicked below
    QTimer::singleShot(50, [] {
      for (QAbstractButton* b : qobject_cast<QMessageBox*>(QApplication::activeModalWidget())->buttons())
        if (b->text() == "删除") b->click();
    });
    QTest::keyClick(table, Qt::Key_Delete);
  }
  EXPECT_EQ(buyers(*w), "购货单位：丙 | 购货单位：甲");
  EXPECT_EQ(table->currentIndex().row(), 1) << "the row after the deleted one";
  reactivate(*w);

  QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
  ASSERT_EQ(QApplication::focusWidget(), w->findChild<QLineEdit*>()) << "Ctrl+F";
  typeKeys("甲");
  EXPECT_EQ(buyers(*w), "购货单位：丙 | 购货单位：甲") << "read at the key, before typing pauses";
  ASSERT_TRUE(QTest::qWaitFor([&] { return buyers(*w) == "购货单位：甲"; }, 2000)) << buyers(*w);
  EXPECT_EQ(w->totalsText(), "共 1 条记录　件数合计 0　材积合计 0 立方米　金额合计 10.00 元");
  const QString csv = dir.filePath("shown.csv");
  w->setCsvFileChooser([&](QWidget*) { return csv; });
  for (QPushButton* b : w->findChildren<QPushButton*>())
    if (b->text().startsWith("导出 CSV")) b->click();
  QFile written(csv);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll().count("\r\n"), 2) << "the title line and the one row shown";

  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Down}) {
    QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);  // selects the search
    typeKeys(key == Qt::Key_Return ? "丙" : "甲");
    QTest::keyClick(QApplication::focusWidget(), key);
    EXPECT_EQ(buyers(*w), key == Qt::Key_Return ? "购货单位：丙" : "购货单位：甲") << "read at once: " << key;
    EXPECT_EQ(QApplication::focusWidget(), table) << key;
  }

  QSignalSpy closed(w.get(), &LedgerWindow::closed);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(closed.size(), 1);
}

TEST_F(LedgerWindowTest, ANumberColumnSortsByValueWithEmptyCellsLast) {
  auto w = open();
  auto* column = w->findChild<QComboBox*>();
  column->setFocus();
  column->setCurrentIndex(static_cast<int>(store::Column::Amount));
  EXPECT_EQ(buyers(*w), "购货单位：甲 | 购货单位：丙 | 购货单位：乙") << "from the largest";
  for (QPushButton* b : w->findChildren<QPushButton*>())
    if (b->isCheckable()) QTest::keyClick(b, Qt::Key_Space);
  EXPECT_EQ(buyers(*w), "购货单位：丙 | 购货单位：甲 | 购货单位：乙") << "from the smallest";
}

// Fault: Escape in the search closed the window with the search still in it, where it should
// empty the search first.
TEST_F(LedgerWindowTest, EscapeInTheSearchEmptiesItAndASecondOneCloses) {
  auto w = open();
  QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
  auto* search = w->findChild<QLineEdit*>();
  ASSERT_EQ(QApplication::focusWidget(), search);
  typeKeys("甲");
  QSignalSpy closed(w.get(), &LedgerWindow::closed);
  QTest::keyClick(search, Qt::Key_Escape);
  EXPECT_EQ(search->text().toStdString(), "");
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(closed.size(), 0);
  EXPECT_EQ(buyers(*w), "购货单位：丙 | 购货单位：乙 | 购货单位：甲")
      << "the list without the search, at once";
  QTest::keyClick(search, Qt::Key_Escape);
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(closed.size(), 1);
}

// Fault: the totals summed drafts with exported bills, so that a load drafted and then exported
// counted twice; and an empty list did not say why.
// 丁 is a draft kept from a run that no start brought back: 未导出 too.
TEST_F(LedgerWindowTest, TheStateChoiceShowsAndSumsExportedBillsUnlessToldOtherwise) {
  store::Store(path).markUserExit(
      {sawn("2024-03-31T07:00:00", u"丙", u"9.5", store::RecordState::Draft),
       sawn("2024-03-31T08:00:00", u"丁", u"7.25", store::RecordState::RecoveredDraft)});
  auto w = open();
  QComboBox* state = stateChoice(*w);
  ASSERT_TRUE(state);
  QAbstractItemModelTester tester(w->findChild<QTableView*>()->model(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  EXPECT_EQ(state->currentText(), "已导出");
  struct Row {
    const char* choice;
    std::string shown;
    const char* totals;
  };
  const Row rows[] = {
      {"已导出", "购货单位：丙 | 购货单位：乙 | 购货单位：甲",
       "共 3 条记录　件数合计 0　材积合计 0 立方米　金额合计 19.50 元"},
      {"未导出", "购货单位：丁 | 购货单位：丙",
       "共 2 条记录　件数合计 0　材积合计 0 立方米　金额合计 16.75 元"},
      {"全部", "购货单位：丁 | 购货单位：丙 | 购货单位：丙 | 购货单位：乙 | 购货单位：甲",
       "共 5 条记录　件数合计 0　材积合计 0 立方米　金额合计 36.25 元"},
  };
  for (const Row& row : rows) {
    state->setCurrentIndex(state->findText(row.choice));
    EXPECT_EQ(buyers(*w), row.shown) << row.choice;
    EXPECT_EQ(w->totalsText().toStdString(), row.totals) << row.choice;
  }
  state->setCurrentIndex(state->findText("未导出"));
  for (QPushButton* b : w->findChildren<QPushButton*>())
    if (b->text() == "上月(&L)") b->click();  // 甲, exported
  EXPECT_EQ(w->model().rowCount(), 0);
  EXPECT_EQ(w->totalsText().toStdString(), "没有符合条件的账单");
}

// Faults: the office choice did not filter the list or its totals, a record fetched from another
// office was offered for deletion (asked, then refused), the office column was empty.
TEST_F(LedgerWindowTest, TheOfficeChoiceShowsOneOfficesRecordsAndAnotherOfficesIsNotDeleted) {
  const QString host = store::thisOffice();
  store::setThisOffice(QStringLiteral("磅房"));
  store::Store(path).markUserExit({sawn("2024-03-31T08:00:00", u"丁", u"5.00")});
  auto w = open();
  QComboBox* office = nullptr;
  for (QComboBox* box : w->findChildren<QComboBox*>())
    if (box->accessibleName() == "办公室") office = box;
  ASSERT_TRUE(office);
  QStringList offered;
  for (int i = 0; i < office->count(); ++i) offered << office->itemText(i);
  EXPECT_EQ(offered, (QStringList{"全部", host, "磅房"})) << "the host's name, in Latin letters, sorts first";
  EXPECT_EQ(office->currentText(), "全部");
  EXPECT_EQ(w->model().index(0, static_cast<int>(store::Column::Office)).data().toString(), "磅房");

  office->setCurrentIndex(office->findText("磅房"));
  EXPECT_EQ(buyers(*w), "购货单位：丁");
  EXPECT_EQ(w->totalsText().toStdString(), "共 1 条记录　件数合计 0　材积合计 0 立方米　金额合计 5.00 元");
  office->setCurrentIndex(office->findText(host));
  EXPECT_EQ(buyers(*w), "购货单位：丙 | 购货单位：乙 | 购货单位：甲");

  {
    testing::KeyAnswerer ok(Qt::Key_Return);
    QTest::keyClick(w->findChild<QTableView*>(), Qt::Key_Delete);
    ASSERT_EQ(ok.seen().size(), 1u) << "told, not asked";
    EXPECT_TRUE(ok.seen()[0].text.contains("这条账单记录由办公室“" + host + "”建立，只能在那里删除"))
        << ok.seen()[0].text.toStdString();
  }
  EXPECT_EQ(w->model().rowCount(), 3);
  store::setThisOffice({});
}

// Fault: the office column sorted by the PDF column (all alike here: in the order of recording).
TEST_F(LedgerWindowTest, TheOfficeColumnSortsByOffice) {
  const QString host = store::thisOffice();
  store::setThisOffice(QStringLiteral("磅房"));
  store::Store(path).markUserExit({sawn("2024-03-31T08:00:00", u"丁", u"5.00")});
  store::setThisOffice(host);
  store::Store(path).markUserExit({sawn("2024-04-01T08:00:00", u"戊", u"1.00")});
  auto w = open();
  w->findChild<QComboBox*>()->setCurrentIndex(static_cast<int>(store::Column::Office));
  EXPECT_EQ(buyers(*w), "购货单位：丁 | 购货单位：戊 | 购货单位：丙 | 购货单位：乙 | 购货单位：甲");
  store::setThisOffice({});
}

// Fault: a store with no record said nothing of it under its empty list.
TEST_F(LedgerWindowTest, AStoreWithoutRecordsSaysSo) {
  const QString empty = dir.filePath("empty.sqlite");
  store::Store(empty).markUserExit();
  LedgerWindow w(empty);
  w.present();
  EXPECT_EQ(w.model().rowCount(), 0);
  EXPECT_EQ(w.totalsText().toStdString(), "还没有账单");
}

TEST_F(LedgerWindowTest, ThePeriodButtonsShowLocalDaysOfTheirPeriod) {
  auto w = open();
  struct Row {
    const char* button;
    std::string shown;
  };
  const Row rows[] = {
      {"今天(&T)", "购货单位：丙"},
      {"本月(&M)", "购货单位：丙 | 购货单位：乙"},
      {"上月(&L)", "购货单位：甲"},
  };
  for (const Row& row : rows) {
    for (QPushButton* b : w->findChildren<QPushButton*>())
      if (b->text() == row.button) QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_EQ(buyers(*w), row.shown) << row.button;
  }
  w->findChild<QCheckBox*>()->setChecked(false);
  EXPECT_EQ(w->model().rowCount(), 3) << "no dates: every record";
}

TEST_F(LedgerWindowTest, AStoreThatCannotBeReadIsToldAndTheListIsEmpty) {
  QFile garbage(dir.filePath("garbage.sqlite"));
  ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
  garbage.write(QByteArray(8192, 'x'));
  garbage.close();
  testing::MessageBoxAnswerer boxes;
  LedgerWindow w(garbage.fileName());
  w.present();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.all().empty(); }, 2000));
  EXPECT_TRUE(boxes.seen().text.startsWith("错误 1207：无法读取账单记录")) << boxes.seen().text.toStdString();
  EXPECT_EQ(w.model().rowCount(), 0);
}

}  // namespace
}  // namespace quenby

namespace quenby {
namespace {

// Faults: the record's PDF path lost on its way through the store; the PDF column saying 有 for a
// file deleted since; Ctrl+O or 打开文件夹 opening the wrong file or nothing; a record without its
// PDF not offered 生成 PDF.
TEST_F(LedgerWindowTest, CtrlOOpensTheRecordsPdfAndARecordWithoutOneAsksForIt) {
  QFile kept(dir.filePath("kept.pdf")), gone(dir.filePath("gone.pdf"));
  ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
  kept.close();
  store::LedgerRecord withPdf = sawn("2024-03-31T08:00:00", u"丁", u"1"),
                      deleted = sawn("2024-03-31T09:00:00", u"戊", u"2");
  withPdf.pdfPath = kept.fileName();
  deleted.pdfPath = gone.fileName();  // never written
  store::Store(path).markUserExit({withPdf, deleted});
  const std::unique_ptr<LedgerWindow> w = open();
  const int pdf = static_cast<int>(store::Column::Pdf);
  EXPECT_EQ(w->model().headerData(pdf, Qt::Horizontal, Qt::DisplayRole).toString(), "PDF");
  ASSERT_EQ(buyers(*w).rfind("购货单位：戊 | 购货单位：丁 | ", 0), 0u) << buyers(*w);
  EXPECT_EQ(w->model().index(0, pdf).data().toString(), "");
  EXPECT_EQ(w->model().index(1, pdf).data().toString(), "有");
  EXPECT_EQ(w->model().index(2, pdf).data().toString(), "");

  QStringList opened;
  w->setPathOpener([&](const QString& p) {
    opened << p;
    return true;
  });
  QSignalSpy asked(w.get(), &LedgerWindow::pdfRequested);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);  // 戊: no file
  ASSERT_EQ(asked.size(), 1);
  EXPECT_EQ(asked[0][0].toLongLong(), w->model().recordId(0));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);  // 丁
  for (QPushButton* b : w->findChildren<QPushButton*>())
    if (b->text() == "打开文件夹") b->click();
  EXPECT_EQ(opened, (QStringList{kept.fileName(), dir.path()}));
  EXPECT_EQ(asked.size(), 1);
}

}  // namespace
}  // namespace quenby

// Command4 on Form3 with a recording spreadsheet host: the reminder, the 65 cells in their order
// as the fields and captions show them, and the one silent start-over of a failed attempt, also
// when it fails while writing the cells.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <string>
#include <vector>

#include "form_fixture.h"
#include "sawn/form3.h"
#include "ui_test_support.h"

namespace quenby {
namespace {

class Form3ExportTest : public testing::FormFixture<Form3> {};

// The cells of one export, in the order written.
const char* const kCellOrder =
    "A5 B5 C5 D5 E5 F5 G5 A6 B6 C6 D6 E6 F6 G6 A7 B7 C7 D7 E7 F7 G7 A8 B8 C8 D8 E8 F8 G8 "
    "A9 B9 C9 D9 E9 F9 G9 A10 B10 C10 D10 E10 F10 G10 A11 B11 C11 D11 E11 F11 G11 "
    "A12 B12 C12 D12 E12 F12 G12 B3 F3 F14 B14 B13 E13 F13 E14 E3";

std::string joined(const std::vector<std::string>& cells) {
  std::string s;
  for (const std::string& c : cells) s += (s.empty() ? "" : " ") + c;
  return s;
}

void typeCaption(QComboBox* c, const QString& caption) {
  c->lineEdit()->selectAll();
  QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, caption);  // as an input method
  QApplication::sendEvent(c->lineEdit(), &typed);
}

TEST_F(Form3ExportTest, FirstExportRemindsThenWritesTheSheetAsShown) {
  typeCaption(box("Combo2"), "电话号码");
  typeCaption(box("Combo3"), "收货单位");
  typeCaption(box("Combo4"), "发货单位");
  box("Combo1")->setFocus();
  QTest::keyClick(box("Combo1"), Qt::Key_Down);  // 车号, chosen from the list
  retype(edit("Text2", 7), "=1+1");
  retype(edit("Text5", 0), "7");  // no calculation first: exported as typed
  commit(edit("Text11"), "辽A12345");
  commit(edit("Text14"), "王五");
  const auto before = widgetTexts();

  testing::MessageBoxAnswerer answerer;
  click("Command4");
  ASSERT_EQ(answerer.all().size(), 1u);
  EXPECT_EQ(answerer.seen().text, "每次打印前请先关闭*账单明细*");
  EXPECT_EQ(answerer.seen().title, "Quenby");
  EXPECT_EQ(answerer.seen().buttons, QMessageBox::Ok);
  EXPECT_EQ(answerer.seen().icon, QMessageBox::NoIcon);
  EXPECT_EQ(rec.worksheets, std::vector<std::u16string>{u"锯材账单"});
  EXPECT_EQ(rec.paths, std::vector<std::string>{"/bills/账单明细.xls"});
  EXPECT_EQ(joined(rec.writes), kCellOrder);
  EXPECT_EQ((rec.cells[{3, 5}]), "电话号码");
  EXPECT_EQ((rec.cells[{14, 5}]), "车号");
  EXPECT_EQ((rec.cells[{12, 2}]), "=1+1");
  EXPECT_EQ((rec.cells[{5, 5}]), "7");
  EXPECT_EQ((rec.cells[{3, 6}]), "辽A12345");
  EXPECT_EQ((rec.cells[{13, 2}]), "王五");
  EXPECT_EQ((rec.cells[{13, 5}]), "");
  EXPECT_EQ(rec.saves, 1);
  EXPECT_EQ(rec.shown, 1);
  EXPECT_TRUE(rec.busyWhileWriting);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(widgetTexts(), before);
  EXPECT_EQ(form->exportCount().value(), 1);

  testing::MessageBoxAnswerer second;
  click("Command4");
  EXPECT_TRUE(second.all().empty());
  EXPECT_EQ(rec.saves, 2);
  EXPECT_EQ(form->exportCount().value(), 2);
  click("Command1");  // clearing does not reset the count
  EXPECT_EQ(form->exportCount().value(), 2);
}

TEST_F(Form3ExportTest, AFailedAttemptIsStartedOverOnceSilently) {
  rec.failOpens = 1;
  {
    testing::MessageBoxAnswerer answerer;
    click("Command4");
    ASSERT_EQ(answerer.all().size(), 1u);  // the reminder alone
  }
  EXPECT_EQ(rec.instances, 2);
  EXPECT_EQ(rec.saves, 1);
  EXPECT_EQ(rec.shown, 1);
  EXPECT_EQ(joined(rec.writes), kCellOrder);
  EXPECT_EQ(form->exportCount().value(), 2);

  // A second failure in a row is reported; the fields stay and the next click works.
  retype(edit("Text4", 3), "6");
  const auto before = widgetTexts();
  rec.failOpens = 2;
  testing::MessageBoxAnswerer failing;
  click("Command4");
  ASSERT_EQ(failing.all().size(), 1u);
  EXPECT_EQ(failing.seen().text, "错误 1003：找不到账单工作簿：/bills/账单明细.xls");
  EXPECT_EQ(rec.instances, 4);
  EXPECT_EQ(rec.saves, 1);
  EXPECT_EQ(widgetTexts(), before);
  testing::MessageBoxAnswerer next;
  click("Command4");
  EXPECT_TRUE(next.all().empty());
  EXPECT_EQ(rec.saves, 2);
}

TEST_F(Form3ExportTest, AFailureWhileWritingTheCellsStartsOverAndWritesAll65Again) {
  retype(edit("Text4", 2), "6");
  rec.failWrite = 30;  // B9, in line 4
  testing::MessageBoxAnswerer answerer;
  click("Command4");
  ASSERT_EQ(answerer.all().size(), 1u);  // the reminder alone
  EXPECT_EQ(rec.instances, 2);
  const std::string firstAttempt =
      "A5 B5 C5 D5 E5 F5 G5 A6 B6 C6 D6 E6 F6 G6 A7 B7 C7 D7 E7 F7 G7 A8 B8 C8 D8 E8 F8 G8 A9";
  EXPECT_EQ(joined(rec.writes), firstAttempt + " " + kCellOrder);
  EXPECT_EQ((rec.cells[{7, 4}]), "6");
  EXPECT_EQ(rec.saves, 1);
  EXPECT_EQ(rec.shown, 1);
  EXPECT_EQ(form->exportCount().value(), 2);
}

}  // namespace
}  // namespace quenby

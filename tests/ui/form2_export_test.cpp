// Command2 on Form2 with a recording spreadsheet host: the reminder, the 123 cells in their order
// as the fields show them (a fresh sheet's all empty), and a failure reported after its one
// attempt.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <string>
#include <vector>

#include "form_fixture.h"
#include "multilength/form2.h"
#include "ui_test_support.h"

namespace quenby {
namespace {

class Form2ExportTest : public testing::FormFixture<Form2> {};

TEST_F(Form2ExportTest, FirstExportRemindsThenWritesAll123CellsAsShown) {
  type("Text27", -1, "东林木材厂");
  type("Text1", 18, "4");
  type("Text3", 18, "=1+1");
  type("Text22", 7, "650");
  type("Text23", -1, "西山林场");
  const auto before = fields();

  testing::MessageBoxAnswerer answerer;
  click("Command2");
  ASSERT_EQ(answerer.all().size(), 1u);
  EXPECT_EQ(answerer.seen().title, "Quenby");
  EXPECT_EQ(answerer.seen().text, "每次打印前请先关闭*账单明细*");
  EXPECT_EQ(answerer.seen().buttons, QMessageBox::Ok);
  EXPECT_EQ(rec.instances, 1);
  EXPECT_EQ(rec.writes.size(), 123u);
  EXPECT_EQ(rec.cells.size(), 123u);
  EXPECT_EQ(rec.worksheets, std::vector<std::u16string>{u"原木二"});
  EXPECT_EQ(rec.paths, std::vector<std::string>{"/bills/账单明细.xls"});
  EXPECT_EQ((rec.cells[{2, 2}]), "东林木材厂");
  EXPECT_EQ((rec.cells[{23, 1}]), "4");
  EXPECT_EQ((rec.cells[{23, 3}]), "=1+1");
  EXPECT_EQ((rec.cells[{23, 4}]), "");  // no calculation first
  EXPECT_EQ((rec.cells[{25, 2}]), "650");
  EXPECT_EQ((rec.cells[{26, 2}]), "西山林场");
  EXPECT_EQ(rec.saves, 1);
  EXPECT_EQ(rec.shown, 1);
  EXPECT_TRUE(rec.busyWhileWriting);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(fields(), before);
  EXPECT_EQ(form->exportCount().value(), 1);

  click("Command1");  // clearing does not bring the reminder back
  testing::MessageBoxAnswerer second;
  click("Command2");
  EXPECT_TRUE(second.all().empty());
  EXPECT_EQ(rec.saves, 2);
  EXPECT_EQ((rec.cells[{2, 2}]), "");
  EXPECT_EQ(form->exportCount().value(), 2);
}

TEST_F(Form2ExportTest, AFailedExportMakesOneAttemptAndIsReported) {
  type("Text3", 4, "7");
  const auto before = fields();
  rec.failOpens = 1;

  testing::MessageBoxAnswerer answerer;
  click("Command2");
  ASSERT_EQ(answerer.all().size(), 2u);  // the reminder, then the error
  EXPECT_EQ(answerer.all()[1].title, "Quenby");
  EXPECT_EQ(answerer.all()[1].text, "错误 1003：找不到账单工作簿：/bills/账单明细.xls");
  EXPECT_EQ(rec.instances, 1);
  EXPECT_TRUE(rec.writes.empty());
  EXPECT_EQ(rec.saves, 0);
  EXPECT_EQ(rec.shown, 0);
  EXPECT_EQ(fields(), before);

  testing::MessageBoxAnswerer next;
  click("Command2");
  EXPECT_TRUE(next.all().empty());
  EXPECT_EQ(rec.saves, 1);
}

// B2, B3, E3, the nineteen lines row by row from column A to F, then C24, D24, F24, B25, E25, B26.
std::vector<std::string> cellOrder() {
  std::vector<std::string> cells = {"B2", "B3", "E3"};
  for (int row = 5; row <= 23; ++row)
    for (char column = 'A'; column <= 'F'; ++column) cells.push_back(column + std::to_string(row));
  for (const char* cell : {"C24", "D24", "F24", "B25", "E25", "B26"}) cells.push_back(cell);
  return cells;
}

TEST_F(Form2ExportTest, AFreshSheetWritesAll123CellsEmptyInTheirOrder) {
  testing::MessageBoxAnswerer answerer;
  click("Command2");
  ASSERT_EQ(answerer.all().size(), 1u);  // the reminder
  EXPECT_EQ(rec.writes, cellOrder());
  EXPECT_EQ(rec.cells.size(), 123u);
  for (const auto& [cell, text] : rec.cells)
    EXPECT_EQ(text, "") << testing::cellName(cell.first, cell.second);
  EXPECT_EQ(rec.saves, 1);
}

}  // namespace
}  // namespace quenby

// The log tally export end to end: the sheet's fields through the export procedure and the real
// office into a copy of the bill template, read back by a separate office.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "bill_cells.h"
#include "calc/numeric_text.h"
#include "counting_host.h"
#include "export/export_error.h"
#include "logtally/log_tally_export.h"
#include "office_test_support.h"
#include "support/utf.h"
#include "workbook_reader.h"

namespace quenby {
namespace {

using test::CountingHost;
using test::CountingPrompter;
using test::NoViewer;
using test::ScratchBill;

constexpr int kRows = 30, kColumns = 14;

// Distinct texts for every field, with the awkward ones among them. Written twice: the first
// pass's clearing rules may empty fields whose partners were still empty.
void fillDistinct(LogTallySheet& sheet, const std::string& round) {
  const char* awkward[] = {"=1+1",   "=HYPERLINK(\"http://x\")", "", "杉木", "12.5", "abc", "0.0001e3",
                           "'quoted"};
  for (int pass = 0; pass < 2; ++pass) {
    int i = 0;
    for (const NamedField& f : sheet.fields()) {
      std::string text = (i % 9 == 8) ? awkward[(i / 9) % 8] : "v" + round + ":" + toString(f.id);
      f.field->setText(u16(text));
      ++i;
    }
  }
}

struct Source {
  int row, column;
  FieldId field;
};

// Every cell of the bill outside the grid, with the field it shows.
const Source kOutsideTheGrid[] = {
    {3, 1, {"Combo4"}},      {3, 3, {"Text17"}},      {3, 8, {"Combo2"}},     {3, 10, {"Text22"}},
    {4, 2, {"Text27"}},      {4, 8, {"Text25"}},      {5, 2, {"Text23"}},     {5, 5, {"Text15"}},
    {5, 8, {"Text26"}},      {5, 11, {"Text21"}},     {21, 2, {"Text16", 0}}, {21, 3, {"Text16", 1}},
    {21, 5, {"Text16", 2}},  {21, 6, {"Text16", 3}},  {21, 8, {"Text16", 5}}, {21, 9, {"Text16", 4}},
    {21, 11, {"Text16", 6}}, {21, 12, {"Text16", 7}}, {23, 1, {"Text18", 0}}, {23, 2, {"Text19", 0}},
    {23, 4, {"Text18", 1}},  {23, 5, {"Text19", 1}},  {23, 7, {"Text18", 2}}, {23, 8, {"Text19", 5}},
    {23, 10, {"Text18", 3}}, {23, 11, {"Text19", 6}}, {25, 1, {"Text19", 4}}, {25, 3, {"Text19", 3}},
    {25, 5, {"Text19", 2}},  {25, 8, {"Text28"}},     {25, 10, {"Text29"}},   {26, 1, {"Combo5"}},
    {26, 3, {"Text20"}},     {26, 8, {"Combo1"}},     {26, 10, {"Text24"}},
};

// The texts the bill must show: element i of row array Text<k> in row 6 + k, column i + 1, and
// the cells above.
test::BillCells expectedCells(LogTallySheet& sheet) {
  test::BillCells cells;
  for (int k = 1; k <= 14; ++k) {
    const std::string array = "Text" + std::to_string(k);
    for (int i = 0; i < 12; ++i) cells[test::cellName(6 + k, i + 1)] = u8(sheet.field(array, i).text());
  }
  for (const Source& s : kOutsideTheGrid)
    cells[test::cellName(s.row, s.column)] = u8(sheet.field(s.field).text());
  return cells;
}

void expectBill(const std::string& path, LogTallySheet& sheet, const WorksheetReading& templateSheet) {
  const test::BillCells expected = expectedCells(sheet);
  ASSERT_EQ(expected.size(), 203u);
  test::expectWorksheetCells(path, u"原木一", expected, templateSheet);
}

TEST(LogTallyExport, WritesAll203CellsAsTextAndOverwritesThemOnTheNextExport) {
  ScratchBill scratch;
  const WorksheetReading templateSheet =
      readWorksheets(scratch.billUtf8(), {u"原木一"}, kRows, kColumns).at(0);
  LogTallySheet sheet;
  ExportCounter exportCount;
  fillDistinct(sheet, "1");
  sheet.field("Combo4").setText(u"收货单位");  // a caption the user typed
  CountingHost host;
  NoViewer viewer;
  CountingPrompter prompter;
  runExport(logTallyExportJob(sheet, scratch.billUtf8()), exportCount, host, viewer, prompter);
  EXPECT_EQ(prompter.reminders, 1);
  EXPECT_EQ(viewer.shown, 1);
  EXPECT_EQ(host.instances, 1);
  expectBill(scratch.billUtf8(), sheet, templateSheet);

  fillDistinct(sheet, "2");
  sheet.cell(3, 4).setText(u"");  // an emptied field empties its cell
  runExport(logTallyExportJob(sheet, scratch.billUtf8()), exportCount, host, viewer, prompter);
  EXPECT_EQ(prompter.reminders, 1);
  expectBill(scratch.billUtf8(), sheet, templateSheet);
  EXPECT_EQ(host.instances, 2);
  host.expectNothingLeft();
}

TEST(LogTallyExport, MissingBillMakesTwoAttemptsThenReportsAndLeavesNoOffice) {
  LogTallySheet sheet;
  test::expectMissingBillReported([&](const std::string& path) { return logTallyExportJob(sheet, path); });
}

TEST(LogTallyExport, AFailureBeforeTheSaveLeavesTheBillByteIdentical) {
  ScratchBill scratch;
  const std::string before = test::fileBytes(scratch.bill());
  LogTallySheet sheet;
  ExportCounter exportCount;
  fillDistinct(sheet, "x");
  struct FailsOnSave final : CountingHost {
    void save() override { throw QuenbyError(ExportError::WorkbookNotSaved, "不能保存"); }
  } host;
  NoViewer viewer;
  CountingPrompter prompter;
  EXPECT_THROW(runExport(logTallyExportJob(sheet, scratch.billUtf8()), exportCount, host, viewer, prompter),
               QuenbyError);
  EXPECT_EQ(test::fileBytes(scratch.bill()), before);
  EXPECT_EQ(host.instances, 2);
  host.expectNothingLeft();
}

TEST(LogTallyExport, AFieldTooLongForACellIsRefusedWithoutStartingAnOffice) {
  ScratchBill scratch;
  const std::string before = test::fileBytes(scratch.bill());
  LogTallySheet sheet;
  sheet.field("Text17").setText(std::u16string(40000, u'林'));
  ExportCounter exportCount;
  CountingHost host;
  NoViewer viewer;
  CountingPrompter prompter;
  try {
    runExport(logTallyExportJob(sheet, scratch.billUtf8()), exportCount, host, viewer, prompter);
    FAIL() << "no error";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 1009);
    EXPECT_NE(e.description().find("Text17"), std::string::npos) << e.description();
    EXPECT_NE(e.description().find("40000"), std::string::npos) << e.description();
  }
  EXPECT_EQ(host.instances, 0);
  EXPECT_EQ(prompter.reminders, 0);
  EXPECT_EQ(test::fileBytes(scratch.bill()), before);
}

}  // namespace
}  // namespace quenby

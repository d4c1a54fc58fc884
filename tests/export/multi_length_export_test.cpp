// The multi-length export end to end: the sheet's fields through the export procedure and the
// real office into a copy of the bill template, read back by a separate office.

#include "multilength/multi_length_export.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "bill_cells.h"
#include "calc/error.h"
#include "counting_host.h"
#include "office_test_support.h"
#include "support/sheet_texts.h"
#include "support/utf.h"
#include "workbook_reader.h"

namespace quenby {
namespace {

using test::CountingHost;
using test::CountingPrompter;
using test::NoViewer;
using test::ScratchBill;

constexpr int kRows = 30, kColumns = 8;

// The texts of Text1(r) … Text6(r), which land in columns A … F of sheet row 5 + r.
const char* const kLines[19][6] = {
    {"4.0", "20", "1", "0.0100", "800", "100.50"},                         // row 5
    {"4.1", "22", "2", "0.0200", "801", "101.50"},                         // row 6
    {"=1+1", "24", "3", "0.0300", "802", "102.50"},                        // row 7
    {"4.3", "26", "4", "0.0400", "803", "103.50"},                         // row 8
    {"4.4", "28", "5", "0.0500", "804", "104.50"},                         // row 9
    {"4.5", "杉木", "6", "0.0600", "805", "105.50"},                       // row 10
    {"4.6", "32", "7", "0.0700", "806", "106.50"},                         // row 11
    {"'quoted", "34", "8", "0.0800", "807", "107.50"},                     // row 12
    {"4.8", "36", "9", "0.0900", "808", "108.50"},                         // row 13
    {"4.9", "38", "10", "0.1000", "809", ""},                              // row 14
    {"5.0", "40", "11", "0.1100", "810", "110.50"},                        // row 15
    {"5.1", "=HYPERLINK(\"http://x\")", "12", "0.1200", "811", "111.50"},  // row 16
    {"5.2", "44", "13", "0.1300", "812", "112.50"},                        // row 17
    {"5.3", "46", "14", "0.0001e3", "813", "113.50"},                      // row 18
    {"5.4", "48", "15", "0.1500", "814", "114.50"},                        // row 19
    {"5.5", "50", "16", "0.1600", "815", "115.50"},                        // row 20
    {"5.6", "52", "17", "0.1700", "816", "116.50"},                        // row 21
    {"5.7", "54", "18", "0.1800", "817", "117.50"},                        // row 22
    {"5.8", "56", "19", "0.1900", "818", "118.50"},                        // row 23
};

struct Other {
  FieldId field;
  int row, column;  // the cell the test expects it in
  const char* text;
};
const Other kOthers[] = {
    {{"Text27"}, 2, 2, "东林木材厂"},    // B2
    {{"Text28"}, 3, 2, "王检尺"},        // B3
    {{"Text29"}, 3, 5, "杉木 松木"},     // E3
    {{"Text22", 5}, 24, 3, "43.5"},      // C24
    {{"Text22", 4}, 24, 4, "7.427"},     // D24
    {{"Text22", 10}, 24, 6, "5973.61"},  // F24
    {{"Text22", 7}, 25, 2, "700"},       // B25
    {{"Text22", 6}, 25, 5, "5198.90"},   // E25
    {{"Text23"}, 26, 2, "西山林场"},     // B26
};

void fill(MultiLengthSheet& sheet) {
  const char* const columns[] = {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6"};
  for (int r = 0; r < 19; ++r)
    for (int c = 0; c < 6; ++c) sheet.field(columns[c], r).setText(u16(kLines[r][c]));
  for (const Other& o : kOthers) sheet.field(o.field).setText(u16(o.text));
}

TEST(MultiLengthExport, WritesAll123CellsOfTheSheetAsText) {
  ScratchBill scratch;
  const WorksheetReading before = readWorksheets(scratch.billUtf8(), {u"原木二"}, kRows, kColumns).at(0);
  MultiLengthSheet sheet;
  fill(sheet);
  const auto fields = fieldTexts(sheet);
  ASSERT_EQ(fields.at("Text1(2)"), "=1+1");  // every text survived the clearing rules
  ASSERT_EQ(fields.at("Text4(13)"), "0.0001e3");
  ExportCounter exportCount;
  CountingHost host;
  NoViewer viewer;
  CountingPrompter prompter;
  runExport(multiLengthExportJob(sheet, scratch.billUtf8()), exportCount, host, viewer, prompter);
  EXPECT_EQ(prompter.reminders, 1);
  EXPECT_EQ(viewer.shown, 1);
  EXPECT_EQ(host.instances, 1);
  EXPECT_EQ(fieldTexts(sheet), fields);

  test::BillCells expected;
  for (int r = 0; r < 19; ++r)
    for (int c = 0; c < 6; ++c) expected[test::cellName(5 + r, 1 + c)] = kLines[r][c];
  for (const Other& o : kOthers) expected[test::cellName(o.row, o.column)] = o.text;
  ASSERT_EQ(expected.size(), 123u);
  test::expectWorksheetCells(scratch.billUtf8(), u"原木二", expected, before);
  host.expectNothingLeft();
}

TEST(MultiLengthExport, MissingBillMakesOneAttemptReportsAndLeavesNoOffice) {
  ScratchBill scratch;
  const auto missing = scratch.dir() / u8"别处" / u8"账单明细.xls";
  MultiLengthSheet sheet;
  fill(sheet);
  const auto fields = fieldTexts(sheet);
  ExportCounter exportCount;
  CountingHost host;
  NoViewer viewer;
  CountingPrompter prompter;
  try {
    runExport(multiLengthExportJob(sheet, test::utf8(missing)), exportCount, host, viewer, prompter);
    FAIL() << "no error";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 1003);
  }
  EXPECT_EQ(host.instances, 1);
  EXPECT_EQ(prompter.reminders, 1);
  EXPECT_EQ(viewer.shown, 0);
  EXPECT_EQ(exportCount.value(), 1);
  EXPECT_EQ(fieldTexts(sheet), fields);
  EXPECT_FALSE(std::filesystem::exists(missing.parent_path()));
  host.expectNothingLeft();
}

}  // namespace
}  // namespace quenby

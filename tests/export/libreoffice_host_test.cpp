// The host against the real headless LibreOffice: what it writes reads back, as text, in a
// workbook that keeps its format and everything the host did not touch.

#include "office/libreoffice_host.h"

#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "calc/error.h"
#include "office_test_support.h"
#include "workbook_reader.h"

namespace quenby {
namespace {

using test::openSheet;
using test::ScratchBill;

struct Written {
  int row, column;
  std::u16string text;
  const char* why;
  std::u16string reads = {};  // what the bill holds, when not the text itself
};

// Texts a field may hold that a spreadsheet would like to turn into something else.
const Written kWrites[] = {
    {7, 1, u"=1+1", "a formula stays text"},
    {7, 2, u"=HYPERLINK(\"http://example.com\")", "a link formula stays text"},
    {7, 3, u"12.3456", "a number stays text"},
    {8, 1, u"0.0000", "leading zero and decimals kept"},
    {8, 2, u"1E5", "no exponent reading"},
    {8, 3, u"TRUE", "no boolean"},
    {9, 1, u"2024-1-1", "no date"},
    {9, 2, u" 12 ", "blanks kept"},
    {9, 3, u"abc", "letters typed into a price"},
    {3, 1, u"购货单位", "Chinese label"},
    {3, 3, u"林场木材加工厂（东）", "Chinese value"},
    {26, 10, u"'quoted", "apostrophe prefix kept"},
    {20, 12, u"99.9999", "last cell of the grid"},
    {10, 1, std::u16string(32767, u'长'), "as long as a cell holds"},
    // A lone surrogate cannot cross to the office; it becomes U+FFFD and the rest is kept.
    {10, 2,
     u"a\xD800"
     u"b",
     "lone high surrogate", u"a\uFFFDb"},
    {10, 3, u"\xDC00", "lone low surrogate", u"\uFFFD"},
    {11, 1, u"杉\xD83D", "high surrogate at the end", u"杉\uFFFD"},
    {11, 2, u"\xDE00\xD83D\xDE00\xD83D", "reversed pair", u"\uFFFD\U0001F600\uFFFD"},
    {11, 3, u"原木\U0001F332", "a proper pair stays"},
};

using Sheets = std::vector<WorksheetReading>;
using SheetCell = std::tuple<size_t, int, int>;  // sheet index, row, column

// Each sheet of `written` reads as in `original` (texts, kinds, print areas, merged cells, column
// widths), except the cells in `touched`.
void expectUnchangedBut(const Sheets& original, const Sheets& written, const std::set<SheetCell>& touched) {
  ASSERT_EQ(written.size(), original.size());
  for (size_t s = 0; s < original.size(); ++s) {
    for (int r = 1; r <= original[s].rows; ++r)
      for (int c = 1; c <= original[s].columns; ++c) {
        if (touched.count({s, r, c})) continue;
        EXPECT_EQ(written[s].at(r, c).text, original[s].at(r, c).text)
            << "sheet " << s << " row " << r << " col " << c;
        EXPECT_EQ(written[s].at(r, c).kind, original[s].at(r, c).kind)
            << "sheet " << s << " row " << r << " col " << c;
      }
    EXPECT_EQ(written[s].printAreas, original[s].printAreas);
    EXPECT_EQ(written[s].mergedRanges, original[s].mergedRanges);
    // Excel 97 stores widths in 1/256 of a character: a save may round them by a few 1/100 mm.
    ASSERT_EQ(written[s].columnWidths.size(), original[s].columnWidths.size());
    for (size_t c = 0; c < original[s].columnWidths.size(); ++c)
      EXPECT_NEAR(written[s].columnWidths[c], original[s].columnWidths[c], 5) << "column " << c + 1;
  }
}

const std::vector<std::u16string> kSheets = {u"原木一", u"原木二", u"锯材账单"};

TEST(LibreOfficeHost, WritesTextThatReadsBackAsTextAndLeavesTheRestOfTheWorkbookAlone) {
  ScratchBill bill;
  const std::string before = test::fileBytes(bill.bill());
  std::string profile;
  {
    LibreOfficeHost host = test::officeHost();
    host.newInstance();
    profile = host.profileDirectory();
    ASSERT_FALSE(profile.empty());
    ASSERT_TRUE(test::processMentions(profile));
    host.openWorkbook(bill.billUtf8());
    host.selectWorksheet(u"原木一");
    host.setCellText(21, 2, u"旧值");  // filled, then emptied again in the same session
    for (const auto& w : kWrites) host.setCellText(w.row, w.column, w.text);
    host.setCellText(21, 2, u"");
    host.setCellText(4, 1, u"");  // a template label: an empty text empties a filled cell
    host.save();
    host.closeAllWorkbooks();
    host.quit();
    EXPECT_EQ(host.officeProcessId(), 0);
    host.release();
  }
  EXPECT_FALSE(test::processMentions(profile));
  EXPECT_FALSE(test::fs::exists(profile));
  EXPECT_FALSE(test::fs::exists(bill.dir() / u8".~lock.账单明细.xls#"));

  const std::string after = test::fileBytes(bill.bill());
  EXPECT_NE(after, before);
  // Still an Excel 97 workbook (OLE2 compound file), not converted to another format.
  ASSERT_GE(after.size(), 8u);
  EXPECT_EQ(after.substr(0, 8), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));

  const auto original = readWorksheets(test::utf8(test::templatePath()), kSheets, 30, 14);
  const auto written = readWorksheets(bill.billUtf8(), kSheets, 30, 14);

  std::set<SheetCell> touched = {{0, 21, 2}, {0, 4, 1}};
  for (const auto& w : kWrites) {
    touched.insert({0, w.row, w.column});
    const CellReading& cell = written[0].at(w.row, w.column);
    EXPECT_EQ(cell.kind, CellKind::Text) << w.why;
    EXPECT_EQ(cell.text, w.reads.empty() ? w.text : w.reads) << w.why;
  }
  EXPECT_EQ(written[0].at(21, 2).kind, CellKind::Empty);
  EXPECT_EQ(written[0].at(4, 1).kind, CellKind::Empty);
  ASSERT_EQ(original[0].at(4, 1).text, u"树种");
  expectUnchangedBut(original, written, touched);
}

TEST(LibreOfficeHost, TheSavedBillOpensOnTheSheetJustWrittenAndNothingElseChanges) {
  ScratchBill bill;
  const WorkbookView before = readWorkbookView(test::utf8(test::templatePath()));
  ASSERT_EQ(before.activeSheet, u"原木一");
  ASSERT_EQ(before.selectedSheets, std::vector<std::u16string>{u"原木一"});
  LibreOfficeHost host = test::officeHost();
  test::openSheet(host, bill, u"原木二");
  host.setCellText(5, 1, u"二号");
  host.save();
  host.closeAllWorkbooks();
  host.quit();

  const WorkbookView after = readWorkbookView(bill.billUtf8());
  EXPECT_EQ(after.activeSheet, u"原木二");
  EXPECT_EQ(after.selectedSheets, std::vector<std::u16string>{u"原木二"})
      << "only the active sheet is selected";
  const auto original = readWorksheets(test::utf8(test::templatePath()), kSheets, 30, 14);
  const auto written = readWorksheets(bill.billUtf8(), kSheets, 30, 14);
  EXPECT_EQ(written[1].at(5, 1).text, u"二号");
  expectUnchangedBut(original, written, {{1, 5, 1}});
}

TEST(LibreOfficeHost, AnAbandonedAttemptLeavesNoOfficeAndNoLockSoTheRetrySaves) {
  ScratchBill bill;
  const std::string before = test::fileBytes(bill.bill());
  std::string firstProfile;
  {
    LibreOfficeHost host = test::officeHost();
    host.newInstance();
    firstProfile = host.profileDirectory();
    host.openWorkbook(bill.billUtf8());
    host.selectWorksheet(u"锯材账单");
    host.setCellText(5, 1, u"第一次");
    // Dropped here without save, close or quit, as a failed first attempt is.
  }
  EXPECT_FALSE(test::processMentions(firstProfile));
  EXPECT_FALSE(test::fs::exists(firstProfile));
  EXPECT_FALSE(test::fs::exists(bill.dir() / u8".~lock.账单明细.xls#"));
  EXPECT_EQ(test::fileBytes(bill.bill()), before);

  // The retry runs on the same host object: newInstance replaces whatever is left.
  LibreOfficeHost host = test::officeHost();
  host.newInstance();
  host.openWorkbook(bill.billUtf8());
  host.newInstance();
  host.openWorkbook(bill.billUtf8());
  host.selectWorksheet(u"锯材账单");
  host.setCellText(5, 1, u"第二次");
  host.save();
  host.closeAllWorkbooks();
  host.quit();
  host.release();

  const auto reading = readWorksheets(bill.billUtf8(), {u"锯材账单"}, 5, 1);
  EXPECT_EQ(reading[0].at(5, 1).text, u"第二次");
}

// LC_ALL set for the scope, and put back as it was.
class ScopedLcAll {
 public:
  explicit ScopedLcAll(const char* value) {
    if (const char* old = std::getenv("LC_ALL")) old_ = old;
    ::setenv("LC_ALL", value, 1);
  }
  ~ScopedLcAll() { old_ ? ::setenv("LC_ALL", old_->c_str(), 1) : ::unsetenv("LC_ALL"); }
  ScopedLcAll(const ScopedLcAll&) = delete;
  ScopedLcAll& operator=(const ScopedLcAll&) = delete;

 private:
  std::optional<std::string> old_;
};

// In the C locale the office cannot map a file URL with Chinese characters to the file; the host
// must not depend on the locale the program was started in.
TEST(LibreOfficeHost, WritesTheBillByItsChineseNameInTheCLocale) {
  ScratchBill bill;
  {
    ScopedLcAll posix("POSIX");
    LibreOfficeHost host = test::officeHost();
    try {
      openSheet(host, bill, u"原木二");
      host.setCellText(5, 1, u"林班小班");
      host.save();
      host.closeAllWorkbooks();
      host.quit();
    } catch (const QuenbyError& e) {
      ADD_FAILURE() << e.number() << " " << e.description();
    }
    host.release();
  }
  const auto reading = readWorksheets(bill.billUtf8(), {u"原木二"}, 5, 1);
  EXPECT_EQ(reading[0].at(5, 1).kind, CellKind::Text);
  EXPECT_EQ(reading[0].at(5, 1).text, u"林班小班");
}

}  // namespace
}  // namespace quenby

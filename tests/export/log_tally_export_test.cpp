// The log tally export end to end: the sheet's fields through the export procedure and the real
// office into a copy of the bill template, read back by a separate office.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "export/export_error.h"
#include "calc/numeric_text.h"
#include "support/utf.h"
#include "workbook_reader.h"
#include "logtally/log_tally_export.h"
#include "forwarding_host.h"
#include "office_test_support.h"

namespace quenby {
namespace {

using test::ScratchBill;

struct NoViewer final : BillViewer {
  int shown = 0;
  void show(const std::string&, const std::u16string&) override { ++shown; }
};
struct CountingPrompter final : Prompter {
  int reminders = 0;
  void remind(const std::u16string&) override { ++reminders; }
};

// The real office, counting the instances it was asked for and noting their private profiles.
struct CountingHost : test::ForwardingHost {
  int instances = 0;
  std::set<std::string> profiles;
  void newInstance() override {
    ++instances;
    office.newInstance();
    profiles.insert(office.profileDirectory());
  }

  // No office of this host is still running, and their profiles are gone.
  void expectNothingLeft() const {
    EXPECT_EQ(office.officeProcessId(), 0);
    for (const std::string& p : profiles) {
      EXPECT_FALSE(test::processMentions(p)) << p;
      EXPECT_FALSE(std::filesystem::exists(p)) << p;
    }
  }
};

constexpr int kRows = 30, kColumns = 14;

// Distinct texts for every field, with the awkward ones among them. Written twice: the first
// pass's clearing rules may empty fields whose partners were still empty.
void fillDistinct(LogTallySheet& sheet, const std::string& round) {
  const char* awkward[] = {"=1+1", "=HYPERLINK(\"http://x\")", "", "杉木", "12.5", "abc", "0.0001e3", "'quoted"};
  for (int pass = 0; pass < 2; ++pass) {
    int i = 0;
    for (const NamedField& f : sheet.fields()) {
      std::string text = (i % 9 == 8) ? awkward[(i / 9) % 8] : "v" + round + ":" + toString(f.id);
      f.field->setText(u16(text));
      ++i;
    }
  }
}

std::map<std::pair<int, int>, std::u16string> expectedCells(LogTallySheet& sheet) {
  std::map<std::pair<int, int>, std::u16string> m;
  for (const CellSource& c : logTallyCellMap(sheet)) m[{c.row, c.column}] = c.field->text();
  return m;
}

void expectBill(const std::string& path, LogTallySheet& sheet, const WorksheetReading& templateSheet) {
  auto expected = expectedCells(sheet);
  ASSERT_EQ(expected.size(), 203u);
  WorksheetReading bill = readWorksheets(path, {u"原木一"}, kRows, kColumns).at(0);
  for (int row = 1; row <= kRows; ++row)
    for (int column = 1; column <= kColumns; ++column) {
      const CellReading& got = bill.at(row, column);
      auto it = expected.find({row, column});
      const std::string where = std::string(1, char('A' + column - 1)) + std::to_string(row);
      if (it == expected.end()) {
        EXPECT_EQ(u8(got.text), u8(templateSheet.at(row, column).text)) << where << " is the template's";
      } else if (it->second.empty()) {
        EXPECT_EQ(got.kind, CellKind::Empty) << where;
      } else {
        EXPECT_EQ(got.kind, CellKind::Text) << where;
        EXPECT_EQ(u8(got.text), u8(it->second)) << where;
      }
    }
}

TEST(LogTallyExport, WritesAll203CellsAsTextAndOverwritesThemOnTheNextExport) {
  ScratchBill scratch;
  const WorksheetReading templateSheet = readWorksheets(scratch.billUtf8(), {u"原木一"}, kRows, kColumns).at(0);
  LogTallySheet sheet;
  fillDistinct(sheet, "1");
  sheet.field("Combo4").setText(u"收货单位");  // a caption the user typed
  CountingHost host;
  NoViewer viewer;
  CountingPrompter prompter;
  runExport(logTallyExportJob(sheet, scratch.billUtf8()), sheet.exportCount(), host, viewer, prompter);
  EXPECT_EQ(prompter.reminders, 1);
  EXPECT_EQ(viewer.shown, 1);
  EXPECT_EQ(host.instances, 1);
  expectBill(scratch.billUtf8(), sheet, templateSheet);

  fillDistinct(sheet, "2");
  sheet.cell(3, 4).setText(u"");  // an emptied field empties its cell
  runExport(logTallyExportJob(sheet, scratch.billUtf8()), sheet.exportCount(), host, viewer, prompter);
  EXPECT_EQ(prompter.reminders, 1);
  expectBill(scratch.billUtf8(), sheet, templateSheet);
  EXPECT_EQ(host.instances, 2);
  host.expectNothingLeft();
}

TEST(LogTallyExport, MissingBillMakesTwoAttemptsThenReportsAndLeavesNoOffice) {
  ScratchBill scratch;
  const auto missing = scratch.dir() / u8"别处" / u8"账单明细.xls";
  LogTallySheet sheet;
  CountingHost host;
  NoViewer viewer;
  CountingPrompter prompter;
  try {
    runExport(logTallyExportJob(sheet, test::utf8(missing)), sheet.exportCount(), host, viewer, prompter);
    FAIL() << "no error";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 1003);
  }
  EXPECT_EQ(host.instances, 2);
  EXPECT_EQ(prompter.reminders, 1);
  EXPECT_EQ(viewer.shown, 0);
  EXPECT_FALSE(std::filesystem::exists(missing.parent_path()));
  host.expectNothingLeft();
}

TEST(LogTallyExport, AFailureBeforeTheSaveLeavesTheBillByteIdentical) {
  ScratchBill scratch;
  const std::string before = test::fileBytes(scratch.bill());
  LogTallySheet sheet;
  fillDistinct(sheet, "x");
  struct FailsOnSave final : CountingHost {
    void save() override { throw QuenbyError(ExportError::WorkbookNotSaved, "不能保存"); }
  } host;
  NoViewer viewer;
  CountingPrompter prompter;
  EXPECT_THROW(runExport(logTallyExportJob(sheet, scratch.billUtf8()), sheet.exportCount(), host, viewer, prompter),
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
  CountingHost host;
  NoViewer viewer;
  CountingPrompter prompter;
  try {
    runExport(logTallyExportJob(sheet, scratch.billUtf8()), sheet.exportCount(), host, viewer, prompter);
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

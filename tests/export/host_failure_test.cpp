// Real failures of the host: each raises the error an operator can act on, leaves the workbook
// as it was, and leaves no office process and no temporary profile behind.

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "export/bill_holder.h"
#include "export/export_error.h"
#include "office/libreoffice_host.h"
#include "office/uno_bridge.h"
#include "office_test_support.h"

namespace quenby {
namespace {

using test::ScratchBill;
namespace fs = std::filesystem;

// Runs `step` on a host with a running office and expects it to raise `code`; then releases the
// host and checks that the office and its profile are gone. Returns the description.
template <class Step>
std::string expectFailure(LibreOfficeHost& host, int number, Step&& step) {
  const std::string profile = host.profileDirectory();
  EXPECT_FALSE(profile.empty());
  std::string description;
  try {
    step();
    ADD_FAILURE() << "no error raised";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), number) << e.description();
    description = e.description();
  }
  host.release();
  EXPECT_EQ(host.officeProcessId(), 0);
  EXPECT_FALSE(test::processMentions(profile)) << "office still running";
  EXPECT_FALSE(fs::exists(profile)) << "profile left behind";
  return description;
}

TEST(HostFailure, MissingWorkbookNamesThePathAndCreatesNothing) {
  ScratchBill scratch;
  const fs::path missing = scratch.dir() / u8"不在这里" / u8"账单明细.xls";
  LibreOfficeHost host = test::officeHost();
  host.newInstance();
  std::string description = expectFailure(host, 1003, [&] { host.openWorkbook(test::utf8(missing)); });
  EXPECT_NE(description.find(test::utf8(missing)), std::string::npos) << description;
  EXPECT_FALSE(fs::exists(missing.parent_path()));
}

TEST(HostFailure, MissingWorksheetNamesTheSheetAndLeavesTheWorkbookUnchanged) {
  ScratchBill bill;
  const std::string before = test::fileBytes(bill.bill());
  LibreOfficeHost host = test::officeHost();
  host.newInstance();
  host.openWorkbook(bill.billUtf8());
  std::string description = expectFailure(host, 1004, [&] { host.selectWorksheet(u"原木三"); });
  EXPECT_NE(description.find("原木三"), std::string::npos) << description;
  EXPECT_EQ(test::fileBytes(bill.bill()), before);
  EXPECT_FALSE(fs::exists(bill.dir() / u8".~lock.账单明细.xls#"));
}

// Files at the bill's path that are no workbook: an empty file would open as an empty sheet, a
// text file or a damaged workbook through the text import.
struct NotAWorkbook {
  const char* name;
  std::string bytes;
};
void PrintTo(const NotAWorkbook& file, std::ostream* os) { *os << file.name; }

class NotAWorkbookTest : public testing::TestWithParam<NotAWorkbook> {};

TEST_P(NotAWorkbookTest, IsReportedAsNoReadableWorkbookAndLeftAsItIs) {
  ScratchBill bill;
  std::ofstream(bill.bill(), std::ios::binary | std::ios::trunc) << GetParam().bytes;
  LibreOfficeHost host = test::officeHost();
  host.newInstance();
  std::string description = expectFailure(host, 1008, [&] { host.openWorkbook(bill.billUtf8()); });
  EXPECT_NE(description.find(bill.billUtf8()), std::string::npos) << description;
  EXPECT_NE(description.find("不是可以读取的电子表格工作簿"), std::string::npos) << description;
  EXPECT_EQ(test::fileBytes(bill.bill()), GetParam().bytes);
  EXPECT_FALSE(fs::exists(bill.dir() / u8".~lock.账单明细.xls#"));
}

INSTANTIATE_TEST_SUITE_P(
    HostFailure, NotAWorkbookTest,
    testing::Values(NotAWorkbook{"Empty", ""}, NotAWorkbook{"Text", "购货单位,车号\n林场,吉A12345\n"},
                    NotAWorkbook{"DamagedExcel", test::fileBytes(test::templatePath()).substr(0, 4096)}),
    [](const auto& info) { return std::string(info.param.name); });

// The three ways a bill cannot be written. A bill another program holds is refused when it is
// opened, before any cell is written; the others at the latest when it is saved.
enum class Blocker { ReadOnlyMode, Immutable, OpenElsewhere };

const char* nameOf(Blocker blocker) {
  switch (blocker) {
    case Blocker::ReadOnlyMode:
      return "ReadOnlyMode";
    case Blocker::Immutable:
      return "Immutable";
    case Blocker::OpenElsewhere:
      return "OpenElsewhere";
  }
  return "";
}
void PrintTo(Blocker blocker, std::ostream* os) { *os << nameOf(blocker); }

class UnsavableBill : public testing::TestWithParam<Blocker> {};

TEST_P(UnsavableBill, SaveSaysWhyAndToCloseItAndChangesNothing) {
  ScratchBill bill;
  const fs::path foreignLock = bill.dir() / u8".~lock.账单明细.xls#";
  const std::string lockText =
      ",另一个用户,other-host,08.12.2026 01:00,file:///home/other/.config/libreoffice/4;";
  switch (GetParam()) {
    case Blocker::ReadOnlyMode:
      fs::permissions(bill.bill(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
      break;
    case Blocker::Immutable:
      if (std::system(("chattr +i '" + bill.billUtf8() + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "chattr +i is not available here";
      break;
    case Blocker::OpenElsewhere:
      std::ofstream(foreignLock) << lockText;
      break;
  }
  const std::string before = test::fileBytes(bill.bill());

  LibreOfficeHost host = test::officeHost();
  host.newInstance();
  bool cellsWritten = false;
  std::string description = expectFailure(host, 1005, [&] {
    host.openWorkbook(bill.billUtf8());
    host.selectWorksheet(u"原木一");
    host.setCellText(7, 1, u"30");
    cellsWritten = true;
    host.save();
  });

  EXPECT_NE(description.find(bill.billUtf8()), std::string::npos) << description;
  EXPECT_NE(description.find("关闭"), std::string::npos) << description;
  if (GetParam() == Blocker::OpenElsewhere) {
    EXPECT_FALSE(cellsWritten);
    // Who holds it, as the lock says: the user, the machine, since when.
    EXPECT_NE(description.find("正被用户 另一个用户 在电脑“other-host”上打开（自 2026-12-08 01:00 起）"),
              std::string::npos)
        << description;
    // The other program's lock is not ours to remove.
    EXPECT_EQ(test::fileBytes(foreignLock), lockText);
  } else {
    EXPECT_NE(description.find("只读"), std::string::npos) << description;
  }
  if (GetParam() == Blocker::Immutable) std::system(("chattr -i '" + bill.billUtf8() + "'").c_str());
  EXPECT_EQ(test::fileBytes(bill.bill()), before);
}

INSTANTIATE_TEST_SUITE_P(HostFailure, UnsavableBill,
                         testing::Values(Blocker::ReadOnlyMode, Blocker::Immutable, Blocker::OpenElsewhere),
                         [](const auto& info) { return std::string(nameOf(info.param)); });

// The bill open in the user's spreadsheet: refused before a cell is written, in words that name
// this machine's user (not the office's own message with its source file); the spreadsheet holds
// the bill open, so its lock is no leftover; once it ends, the bill is free.
TEST(HostFailure, ABillOpenInAnotherOfficeIsRefusedBeforeAnyCellAndItsLockSurvives) {
  ScratchBill bill;
  const fs::path lock = bill.dir() / u8".~lock.账单明细.xls#";
  LibreOfficeHost other = test::officeHost();  // stands for the office that shows the bill to the user
  other.newInstance();
  other.openWorkbook(bill.billUtf8());
  ASSERT_TRUE(fs::exists(lock));
  const std::string lockText = test::fileBytes(lock);
  const std::string before = test::fileBytes(bill.bill());
  EXPECT_EQ(billHold(bill.bill()), BillHold::Open);

  LibreOfficeHost host = test::officeHost();
  host.newInstance();
  std::string description = expectFailure(host, 1005, [&] { host.openWorkbook(bill.billUtf8()); });
  EXPECT_NE(description.find("在本机打开（自 "), std::string::npos) << description;
  EXPECT_NE(description.find("关闭"), std::string::npos) << description;
  EXPECT_EQ(description.find("cxx"), std::string::npos) << description;
  EXPECT_EQ(test::fileBytes(lock), lockText);
  EXPECT_EQ(test::fileBytes(bill.bill()), before);
  other.release();
  EXPECT_FALSE(fs::exists(lock));
  EXPECT_EQ(billHold(bill.bill()), BillHold::Free);
}

// The office's own message names its source file: it goes to standard error, never into a box.
TEST(HostFailure, AnOfficeFailureIsToldInWordsItsOwnMessageOnStandardError) {
  ::testing::internal::CaptureStderr();
  try {
    unoCall("写入单元格 A7:L7",
            [] { throw css::uno::RuntimeException("at ./sc/source/ui/unoobj/cellsuno.cxx:4962"); });
    ADD_FAILURE() << "no error raised";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 1007);
    EXPECT_EQ(e.description(), "电子表格程序（LibreOffice）在写入单元格 A7:L7时出错，请重新导出");
  }
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("cellsuno.cxx:4962"), std::string::npos);
}

TEST(HostFailure, AbsentOfficeSaysToInstallLibreOfficeCalcAndCreatesNoProfile) {
  ScratchBill scratch;
  const fs::path tmp = scratch.dir() / "tmp";
  test::ScopedTmpdir tmpdir(tmp);  // a profile, if one were made, would land here

  OfficeOptions options;
  options.sofficePath = test::utf8(scratch.dir() / "no-such-soffice");
  LibreOfficeHost host = test::officeHost(options);
  try {
    host.newInstance();
    ADD_FAILURE() << "no error raised";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 1001);
    EXPECT_NE(e.description().find("LibreOffice Calc"), std::string::npos) << e.description();
    EXPECT_NE(e.description().find("安装"), std::string::npos) << e.description();
  }
  EXPECT_EQ(host.officeProcessId(), 0);
  EXPECT_TRUE(fs::is_empty(tmp));
}

// Stand-ins for an office that never opens its pipe: one hangs with a child of its own, one
// exits at once. Each records its pid, its child's pid and its arguments.
struct SilentOffice {
  const char* name;
  const char* body;
};
void PrintTo(const SilentOffice& office, std::ostream* os) { *os << office.name; }

class SilentOfficeTest : public testing::TestWithParam<SilentOffice> {};

TEST_P(SilentOfficeTest, NoAnswerKillsTheWholeProcessGroupAndRemovesTheProfile) {
  ScratchBill scratch;
  const fs::path script = scratch.dir() / "soffice";
  const fs::path record = scratch.dir() / "record";
  std::ofstream(script) << "#!/bin/sh\necho \"$@\" > '" << record.string() << "'\n" << GetParam().body;
  fs::permissions(script, fs::perms::owner_all);

  OfficeOptions options;
  options.sofficePath = script.string();
  options.answerTimeout = std::chrono::milliseconds(1500);
  LibreOfficeHost host = test::officeHost(options);
  const auto start = std::chrono::steady_clock::now();
  try {
    host.newInstance();
    FAIL() << "no error raised";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 1002) << e.description();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
  EXPECT_EQ(host.officeProcessId(), 0);

  std::stringstream args(test::fileBytes(record));
  std::string arg, profileUrl;
  while (args >> arg)
    if (arg.rfind("-env:UserInstallation=file://", 0) == 0) profileUrl = arg.substr(29);
  ASSERT_FALSE(profileUrl.empty()) << test::fileBytes(record);
  EXPECT_FALSE(fs::exists(profileUrl));
  // The script and its child both carry the scratch directory in their command lines.
  EXPECT_FALSE(test::processMentions(scratch.dir().string())) << "the start script or its child still runs";
}

INSTANTIATE_TEST_SUITE_P(
    HostFailure, SilentOfficeTest,
    testing::Values(SilentOffice{"Hangs", "sh -c 'sleep 300; true' \"$(dirname \"$0\")/child\" &\nwait\n"},
                    SilentOffice{"ExitsAtOnce", "exit 1\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostFailure, CallsWithoutAnInstanceOrWorkbookFailWithoutStartingAnything) {
  LibreOfficeHost host = test::officeHost();
  auto code = [](auto&& call) {
    try {
      call();
    } catch (const QuenbyError& e) {
      return e.number();
    }
    return 0;
  };
  EXPECT_EQ(code([&] { host.openWorkbook("/tmp/x.xls"); }), 1007);
  EXPECT_EQ(code([&] { host.selectWorksheet(u"原木一"); }), 1007);
  EXPECT_EQ(code([&] { host.setCellText(1, 1, u"x"); }), 1007);
  EXPECT_EQ(code([&] { host.save(); }), 1007);
  EXPECT_EQ(code([&] { host.quit(); }), 1007);
  EXPECT_EQ(host.officeProcessId(), 0);
  host.release();  // harmless when nothing runs
}

}  // namespace
}  // namespace quenby

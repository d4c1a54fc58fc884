// An office that stops answering (simulated with SIGSTOP on its process group) is ended when the
// deadline of the call passes: the call reports it (1002), the bill stays byte-identical, nothing
// of the office is left, and the next export works again.

#include <signal.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "export/export_error.h"
#include "export/export_procedure.h"
#include "forwarding_host.h"
#include "logtally/log_tally_export.h"
#include "office_test_support.h"

namespace quenby {
namespace {

namespace fs = std::filesystem;
using test::ScratchBill;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Short deadlines. The bill is far below a megabyte, so opening it, taking its sheet (which
// shows the view) and saving it may take one call's time plus one megabyte's.
OfficeOptions shortDeadlines() {
  OfficeOptions options;
  options.callTimeout = milliseconds(1500);
  options.timeoutPerMegabyte = milliseconds(2000);
  options.quitTimeout = milliseconds(1500);
  return options;
}

enum class Step { Open, Sheet, Cell, Save, Close, Quit };

struct Stall {
  const char* name;
  Step step;
  milliseconds deadline;  // when the error is due
  bool reported;          // quitting is not an error: the office is ended all the same
};
void PrintTo(const Stall& row, std::ostream* os) { *os << row.name; }

class StalledOffice : public testing::TestWithParam<Stall> {};

TEST_P(StalledOffice, IsEndedAtTheDeadlineAndLeavesTheBillAsItWas) {
  ScratchBill bill;
  const std::string before = test::fileBytes(bill.bill());
  LibreOfficeHost host = test::officeHost(shortDeadlines());
  host.newInstance();
  const std::string profile = host.profileDirectory();
  const Step stallAt = GetParam().step;
  auto step = [&](Step s, auto&& run) {
    if (s == stallAt) {
      ASSERT_EQ(::kill(-host.officeProcessId(), SIGSTOP), 0);
    }
    run();
  };
  Clock::time_point stalled;
  try {
    step(Step::Open, [&] { stalled = Clock::now(), host.openWorkbook(bill.billUtf8()); });
    step(Step::Sheet, [&] { stalled = Clock::now(), host.selectWorksheet(u"原木一"); });
    step(Step::Cell, [&] { stalled = Clock::now(), host.setCellText(7, 1, u"30"); });
    // Only what is saved may change the bill; a stall before it must leave the bill as it was.
    if (stallAt == Step::Save) {
      ASSERT_TRUE(test::fileBytes(bill.bill()) == before) << "the bill changed";
    }
    step(Step::Save, [&] { stalled = Clock::now(), host.save(); });
    step(Step::Close, [&] { stalled = Clock::now(), host.closeAllWorkbooks(); });
    step(Step::Quit, [&] { stalled = Clock::now(), host.quit(); });
    EXPECT_FALSE(GetParam().reported) << "no error raised";
  } catch (const QuenbyError& e) {
    EXPECT_TRUE(GetParam().reported) << e.description();
    EXPECT_EQ(e.number(), 1002) << e.description();
    EXPECT_NE(e.description().find("秒内没有响应"), std::string::npos) << e.description();
  }
  const auto took = Clock::now() - stalled;
  EXPECT_GE(took, GetParam().deadline);
  EXPECT_LT(took, GetParam().deadline + milliseconds(4000));
  RecordProperty("stall_to_return_ms",
                 static_cast<int>(std::chrono::duration_cast<milliseconds>(took).count()));
  host.release();

  EXPECT_TRUE(test::eventually([&] { return !test::processMentions(profile); }, milliseconds(3000)))
      << "office still running";
  EXPECT_FALSE(fs::exists(profile));
  EXPECT_FALSE(fs::exists(bill.dir() / u8".~lock.账单明细.xls#"));
  if (stallAt <= Step::Save) {
    EXPECT_TRUE(test::fileBytes(bill.bill()) == before) << "the bill changed";
  }
  for (const auto& entry : fs::directory_iterator(bill.dir()))
    EXPECT_EQ(entry.path().filename(), bill.bill().filename())
        << "left beside the bill, holding \"" << test::fileBytes(entry.path()) << "\"";
}

INSTANTIATE_TEST_SUITE_P(Deadlines, StalledOffice,
                         testing::Values(Stall{"Open", Step::Open, milliseconds(3500), true},
                                         Stall{"Sheet", Step::Sheet, milliseconds(3500), true},
                                         Stall{"Cell", Step::Cell, milliseconds(1500), true},
                                         Stall{"Save", Step::Save, milliseconds(3500), true},
                                         Stall{"Close", Step::Close, milliseconds(1500), true},
                                         Stall{"Quit", Step::Quit, milliseconds(1500), false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The office stops in the middle of a save, once it has begun its copy beside the bill: the copy
// goes with the office, the bill stays as it was.
TEST(Deadlines, AnOfficeStalledInTheMiddleOfASaveLeavesNoCopyBesideTheBill) {
  ScratchBill bill;
  const std::string before = test::fileBytes(bill.bill());
  LibreOfficeHost host = test::officeHost(shortDeadlines());
  test::openSheet(host, bill, u"原木一");
  host.setCellText(7, 1, u"30");
  std::atomic<bool> saving{true}, stopped{false};
  std::thread watcher([&] {
    while (saving && !stopped) {
      for (const auto& entry : fs::directory_iterator(bill.dir()))
        if (entry.path().filename().string().rfind("lu", 0) == 0 && !stopped) {
          ::kill(-host.officeProcessId(), SIGSTOP);
          stopped = true;
        }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  try {
    host.save();
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 1002) << e.description();
  }
  saving = false;
  watcher.join();
  ASSERT_TRUE(stopped) << "the save ended before its copy beside the bill was seen";
  host.release();
  EXPECT_TRUE(test::fileBytes(bill.bill()) == before) << "the bill changed";
  for (const auto& entry : fs::directory_iterator(bill.dir()))
    EXPECT_EQ(entry.path().filename(), bill.bill().filename())
        << "left beside the bill, holding \"" << test::fileBytes(entry.path()) << "\"";
}

// The export procedure on an office that stalls at every attempt: the click ends with 1002 after
// two deadlines instead of never, and the next click exports.
TEST(Deadlines, AStalledExportReportsAndTheNextOneWorks) {
  ScratchBill bill;
  const std::string before = test::fileBytes(bill.bill());
  struct StallingHost : test::ForwardingHost {
    StallingHost() : ForwardingHost(shortDeadlines()) {}
    bool stall = true;
    void selectWorksheet(const std::u16string& name) override {
      office.selectWorksheet(name);
      if (stall) ::kill(-office.officeProcessId(), SIGSTOP);
    }
  } host;
  test::Silent silent;
  LogTallySheet sheet;
  ExportCounter exportCount;
  sheet.field("Text17").setText(u"林场");
  const auto start = Clock::now();
  try {
    runExport(logTallyExportJob(sheet, bill.billUtf8()), exportCount, host, silent, silent);
    FAIL() << "no error";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 1002) << e.description();
  }
  const auto took = Clock::now() - start;
  RecordProperty("stalled_export_to_error_ms",
                 static_cast<int>(std::chrono::duration_cast<milliseconds>(took).count()));
  EXPECT_GE(took, milliseconds(3000));  // a deadline per attempt
  EXPECT_LT(took, milliseconds(20000));
  EXPECT_TRUE(test::fileBytes(bill.bill()) == before) << "the bill changed";

  host.stall = false;
  runExport(logTallyExportJob(sheet, bill.billUtf8()), exportCount, host, silent, silent);
  EXPECT_TRUE(test::fileBytes(bill.bill()) != before) << "the bill was not saved";
}

}  // namespace
}  // namespace quenby

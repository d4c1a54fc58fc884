// Offices started ahead: an export runs in the office the reserve started (waiting for one that is
// starting, starting none of its own) and the reserve starts the next once it has ended; an idle
// office is ended after the idle time, which every touch begins anew, and with the reserve; an
// office that died while it waited is replaced by one of the export's own; an office that cannot
// start is not tried again at every key.

#include "office/office_reserve.h"

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "export/export_procedure.h"
#include "forwarding_host.h"
#include "logtally/log_tally_export.h"
#include "office/process_group.h"
#include "office_test_support.h"
#include "workbook_reader.h"

namespace quenby {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using test::ScratchBill;

// The office each export ran in, and how many offices the reserve had started by then.
struct WatchedHost : test::ForwardingHost {
  explicit WatchedHost(const std::shared_ptr<OfficeReserve>& r) : ForwardingHost(r), reserve(r) {}
  std::shared_ptr<OfficeReserve> reserve;
  std::vector<pid_t> offices;
  std::vector<int> startsSoFar;
  void newInstance() override {
    office.newInstance();
    offices.push_back(office.officeProcessId());
    startsSoFar.push_back(reserve->starts());
  }
};

std::u16string exportAndRead(SpreadsheetHost& host, const ScratchBill& bill, const std::u16string& buyer) {
  LogTallySheet sheet;
  sheet.field("Text17").setText(buyer);
  ExportCounter exportCount;
  test::Silent silent;
  runExport(logTallyExportJob(sheet, bill.billUtf8()), exportCount, host, silent, silent);
  return readWorksheets(bill.billUtf8(), {u"原木一"}, 3, 3).at(0).at(3, 3).text;
}

bool runs(pid_t group) { return group != 0 && !runningMembers(group).empty(); }

// The niceness of process `pid` (the 19th field of /proc/<pid>/stat).
int niceness(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  std::istringstream after(line.substr(line.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 19; ++i) after >> field;
  return std::stoi(field);
}

TEST(OfficeReserve, EachExportRunsInAnOfficeStartedAheadAndTheNextOneStartsAfterIt) {
  ScratchBill bill;
  auto reserve = std::make_shared<OfficeReserve>();
  WatchedHost host(reserve);
  // The first export comes while the office is still starting: it waits for that one.
  reserve->touch();
  EXPECT_EQ(exportAndRead(host, bill, u"第一次"), u"第一次");
  ASSERT_TRUE(reserve->waitUntilReady(milliseconds(30000)));
  const pid_t second = reserve->readyOffice();
  // Started behind the windows: the office and its watchdog run niced.
  for (pid_t member : runningMembers(second)) EXPECT_EQ(niceness(member), OfficeReserve::kNiceness) << member;
  EXPECT_EQ(exportAndRead(host, bill, u"第二次"), u"第二次");

  ASSERT_EQ(host.offices.size(), 2u);
  EXPECT_NE(host.offices[0], 0);
  EXPECT_EQ(host.startsSoFar, (std::vector<int>{1, 2}));  // no start of the export's own
  EXPECT_EQ(host.offices[1], second);
  EXPECT_NE(host.offices[0], second);
  // Each ended after its export, the first before the second was started.
  EXPECT_FALSE(runs(host.offices[0])) << "the first export's office still runs";
  EXPECT_TRUE(test::eventually([&] { return !runs(host.offices[1]); }, milliseconds(5000)))
      << "the second export's office still runs";
}

TEST(OfficeReserve, AnOfficeThatDiedWaitingIsReplacedByOneOfTheExportsOwn) {
  ScratchBill bill;
  auto reserve = std::make_shared<OfficeReserve>();
  WatchedHost host(reserve);
  reserve->touch();
  ASSERT_TRUE(reserve->waitUntilReady(milliseconds(30000)));
  const pid_t died = reserve->readyOffice();
  killOfficeMembers(died);
  ASSERT_TRUE(test::eventually([&] { return !runs(died); }, milliseconds(5000)));
  EXPECT_EQ(exportAndRead(host, bill, u"自己的"), u"自己的");
  ASSERT_EQ(host.offices.size(), 1u);
  EXPECT_NE(host.offices[0], died);
  EXPECT_EQ(host.startsSoFar[0], 1);
}

// A deadline left armed once the office had started would kill every office that waits longer
// than it before its export. The start's deadline is shortened to 3 s here; the office then idles
// past it and the export still runs in it.
TEST(OfficeReserve, AnOfficeIdleLongerThanACallsDeadlineStillServesTheExport) {
  ScratchBill bill;
  OfficeOptions options;
  options.answerTimeout = milliseconds(3000);
  auto reserve = std::make_shared<OfficeReserve>(options);
  WatchedHost host(reserve);
  reserve->touch();
  ASSERT_TRUE(reserve->waitUntilReady(milliseconds(30000)));
  const pid_t ready = reserve->readyOffice();
  std::this_thread::sleep_for(options.answerTimeout + milliseconds(500));
  EXPECT_EQ(exportAndRead(host, bill, u"等过期限"), u"等过期限");
  ASSERT_EQ(host.offices.size(), 1u);
  EXPECT_EQ(host.offices[0], ready);
  EXPECT_EQ(host.startsSoFar, std::vector<int>{1});
}

TEST(OfficeReserve, AnIdleOfficeIsEndedAfterTheIdleTimeWhichEveryTouchBeginsAnew) {
  ScratchBill bill;
  test::ScopedTmpdir tmpdir(bill.dir() / "tmp");
  // Only the reserve's own timer ends the office: a slow machine can delay that end, never bring it
  // forward, so the pauses below need no margin for load.
  OfficeReserve reserve(OfficeOptions{}, milliseconds(1500));
  reserve.touch();
  ASSERT_TRUE(reserve.waitUntilReady(milliseconds(30000)));
  const pid_t idle = reserve.readyOffice();
  reserve.touch();
  std::this_thread::sleep_for(milliseconds(1000));
  reserve.touch();
  std::this_thread::sleep_for(milliseconds(1000));
  EXPECT_TRUE(runs(idle)) << "ended 1 s after a touch, before its idle time";
  EXPECT_TRUE(
      test::eventually([&] { return !runs(idle) && fs::is_empty(bill.dir() / "tmp"); }, milliseconds(10000)))
      << "still there 1.5 s after the last touch and more";
  EXPECT_EQ(reserve.readyOffice(), 0);
  EXPECT_EQ(reserve.starts(), 1);
}

struct Ending {
  const char* name;
  bool waitReady;  // idle, or still starting
};
void PrintTo(const Ending& row, std::ostream* os) { *os << row.name; }

class ReserveEnding : public testing::TestWithParam<Ending> {};

TEST_P(ReserveEnding, EndsItsOfficeAndLeavesNothing) {
  ScratchBill bill;
  const fs::path tmp = bill.dir() / "tmp";
  test::ScopedTmpdir tmpdir(tmp);
  {
    OfficeReserve reserve;
    reserve.touch();
    if (GetParam().waitReady) {
      ASSERT_TRUE(reserve.waitUntilReady(milliseconds(30000)));
    } else {
      ASSERT_TRUE(test::eventually([&] { return test::processMentions(tmp.string()); }, milliseconds(10000)));
    }
  }
  EXPECT_FALSE(test::processMentions(tmp.string())) << "an office or its watchdog still runs";
  EXPECT_TRUE(fs::is_empty(tmp)) << fs::directory_iterator(tmp)->path() << " left";
}

INSTANTIATE_TEST_SUITE_P(OfficeReserve, ReserveEnding,
                         testing::Values(Ending{"Idle", true}, Ending{"Starting", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// No office installed: one try at the first touch, none at the touches after, one after an export.
TEST(OfficeReserve, AnOfficeThatCannotStartIsTriedAgainOnlyAfterTheNextExport) {
  ScratchBill scratch;
  OfficeOptions options;
  options.sofficePath = test::utf8(scratch.dir() / "no-such-soffice");
  OfficeReserve reserve(options);
  reserve.touch();
  EXPECT_FALSE(reserve.waitUntilReady(milliseconds(10000)));
  for (int i = 0; i < 3; ++i) reserve.touch();
  EXPECT_FALSE(reserve.waitUntilReady(milliseconds(200)));
  EXPECT_EQ(reserve.starts(), 1);
  reserve.refill();
  EXPECT_FALSE(reserve.waitUntilReady(milliseconds(10000)));
  EXPECT_EQ(reserve.starts(), 2);
}

}  // namespace
}  // namespace quenby

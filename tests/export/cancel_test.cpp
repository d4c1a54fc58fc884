// The user's 取消 on the real office, from another thread as the window sends it, while the export
// is held at a step (the office stopped with SIGSTOP there, or slow to start): before the save the
// export ends at once with ExportCancelled (which no box reports), the bill stays byte-identical,
// nothing of the office is left, and the next export works; once the save has begun the cancel is
// refused and the save completes.

#include <signal.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "export/export_error.h"
#include "export/export_procedure.h"
#include "forwarding_host.h"
#include "logtally/log_tally_export.h"
#include "office_test_support.h"
#include "workbook_reader.h"

namespace quenby {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using Step = ExportProgress::Step;

enum class HeldAt { Start, Open, Cell, Save };

struct Cancel {
  const char* name;
  HeldAt at;
  Step step;   // what the progress says meanwhile
  bool taken;  // the cancel ends the export
};
void PrintTo(const Cancel& row, std::ostream* os) { *os << row.name; }

// Holds the office still at one step and says so.
struct HoldingHost : test::ForwardingHost {
  HoldingHost(const OfficeOptions& options, HeldAt at) : ForwardingHost(options), at(at) {}
  HeldAt at;
  int cells = 0;
  std::atomic<bool> held{false};
  void hold(HeldAt here) {
    if (here != at) return;
    ASSERT_EQ(::kill(-office.officeProcessId(), SIGSTOP), 0);
    held = true;
  }
  void newInstance() override {
    held = at == HeldAt::Start;  // the start itself is slow
    office.newInstance();
  }
  void openWorkbook(const std::string& path) override {
    hold(HeldAt::Open);
    office.openWorkbook(path);
  }
  void setCellText(int row, int column, const std::u16string& text) override {
    if (++cells == 50) hold(HeldAt::Cell);
    office.setCellText(row, column, text);
  }
  void save() override {
    hold(HeldAt::Save);
    office.save();
  }
};

class CancelTest : public testing::TestWithParam<Cancel> {};

TEST_P(CancelTest, BeforeTheSaveLeavesTheBillAndNothingElseAndFromTheSaveOnIsRefused) {
  const Cancel& row = GetParam();
  test::ScratchBill bill;
  const fs::path tmp = bill.dir() / "tmp";
  const std::string before = test::fileBytes(bill.bill());
  LogTallySheet sheet;
  sheet.field("Text17").setText(u"取消了");
  const ExportJob job = logTallyExportJob(sheet, bill.billUtf8());
  {
    test::ScopedTmpdir tmpdir(tmp);
    OfficeOptions options;
    if (row.at == HeldAt::Start) {
      // An office that takes its time to answer.
      const fs::path script = bill.dir() / "soffice";
      std::ofstream(script) << "#!/bin/sh\nsleep 300 &\nwait\n";
      fs::permissions(script, fs::perms::owner_all);
      options.sofficePath = script.string();
    }
    HoldingHost host(options, row.at);
    ExportProgress progress(static_cast<int>(job.cells.size()));
    ExportCounter exportCount;
    test::Silent silent;
    int error = 0;
    std::thread exporting([&] {
      try {
        runExport(job, exportCount, ExportParties{host, silent, silent, &progress});
      } catch (const QuenbyError& e) {
        error = e.number();
      }
    });
    ASSERT_TRUE(test::eventually([&] { return host.held.load(); }, milliseconds(30000)));
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(progress.step(), row.step);
    const bool taken = progress.cancel();
    if (taken) host.interrupt();
    const auto cancelled = Clock::now();
    if (!taken) ::kill(-host.office.officeProcessId(), SIGCONT);
    exporting.join();
    EXPECT_EQ(taken, row.taken);
    if (row.taken) {
      EXPECT_EQ(error, 1014);
      EXPECT_LT(Clock::now() - cancelled, milliseconds(3000)) << "the held call was not broken off";
      EXPECT_EQ(exportCount.value(), 1) << "restarted after a cancel";
      EXPECT_TRUE(test::fileBytes(bill.bill()) == before) << "the bill changed";
    } else {
      EXPECT_EQ(error, 0);
      EXPECT_EQ(progress.cellsWritten(), 203);
    }
  }
  EXPECT_TRUE(test::eventually([&] { return !test::processMentions(tmp.string()); }, milliseconds(5000)))
      << "an office or its watchdog still runs";
  EXPECT_TRUE(fs::is_empty(tmp)) << fs::directory_iterator(tmp)->path() << " left";
  for (const auto& entry : fs::directory_iterator(bill.dir()))
    EXPECT_TRUE(entry.path() == bill.bill() || entry.path() == tmp || entry.path().filename() == "soffice")
        << entry.path() << " left beside the bill";

  if (!row.taken) {
    EXPECT_EQ(readWorksheets(bill.billUtf8(), {u"原木一"}, 3, 3).at(0).at(3, 3).text, u"取消了");
    return;
  }
  test::ForwardingHost next;
  ExportCounter exportCount;
  test::Silent silent;
  runExport(job, exportCount, next, silent, silent);
  EXPECT_EQ(readWorksheets(bill.billUtf8(), {u"原木一"}, 3, 3).at(0).at(3, 3).text, u"取消了");
}

INSTANTIATE_TEST_SUITE_P(Cancel, CancelTest,
                         testing::Values(Cancel{"WhileTheOfficeStarts", HeldAt::Start, Step::Starting, true},
                                         Cancel{"WhileTheBillOpens", HeldAt::Open, Step::Opening, true},
                                         Cancel{"WhileCellsAreWritten", HeldAt::Cell, Step::Writing, true},
                                         Cancel{"DuringTheSave", HeldAt::Save, Step::Saving, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quenby

#include "export/export_procedure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "calc/numeric_text.h"
#include "export/export_error.h"
#include "logtally/log_tally_export.h"
#include "support/utf.h"

namespace quenby {
namespace {

// Records every call in one log shared with the prompter and the viewer; fails the chosen call
// of the chosen attempts.
struct Recorder : SpreadsheetHost, BillViewer, Prompter {
  std::vector<std::string> log;
  std::string failOn;            // call name, e.g. "open", "cell", "save", "show"
  std::set<int> failInAttempts;  // 1-based
  ExportError failWith = ExportError::WorkbookMissing;
  int attempt = 0;
  std::map<std::pair<int, int>, std::string> cells;  // what the last attempt wrote
  int saves = 0;
  // The user presses 取消 inside the call named `cancelOn` ("cell": the 101st cell write).
  ExportProgress* progress = nullptr;
  std::string cancelOn;
  std::optional<bool> cancelTaken;
  ExportProgress::Step stepAtCancel{};

  void call(const std::string& name) {
    log.push_back(name);
    if (name == cancelOn && !cancelTaken) stepAtCancel = progress->step(), cancelTaken = progress->cancel();
    if (name == failOn && failInAttempts.count(attempt)) throw QuenbyError(failWith, "失败 " + name);
  }
  void newInstance() override {
    ++attempt;
    cells.clear();
    call("new");
  }
  void openWorkbook(const std::string& path) override { call("open " + path), call("open"); }
  void selectWorksheet(const std::u16string& name) override { call("sheet " + u8(name)); }
  void setCellText(int row, int column, const std::u16string& text) override {
    if (log.empty() || log.back() != "cell") log.push_back("cell");
    const bool failing = failOn == "cell" && failInAttempts.count(attempt);
    if ((failing || (cancelOn == "cell" && !cancelTaken)) && cells.size() == 100) call("cell");
    cells[{row, column}] = u8(text);
  }
  void save() override {
    call("save");
    ++saves;
  }
  void closeAllWorkbooks() override { call("close"); }
  void quit() override { call("quit"); }
  void release() noexcept override { log.push_back("release"); }
  void show(const std::string&, const std::u16string& sheet) override {
    showThread = std::this_thread::get_id();
    call("show " + u8(sheet)), call("show");
  }
  void beginPrepare(const std::string&) override { prepareThreads.push_back(std::this_thread::get_id()); }
  void endPrepare() noexcept override { prepareThreads.push_back(std::this_thread::get_id()); }
  std::vector<std::thread::id> prepareThreads;  // of each beginPrepare and endPrepare
  std::thread::id showThread;
  void remind(const std::u16string& text) override { log.push_back("remind " + u8(text)); }
};

const std::string kReminder = "remind 每次打印前请先关闭*账单明细*";
const std::vector<std::string> kOneAttempt = {"new",     "open /b.xls", "open",  "sheet 原木一",
                                              "cell",    "save",        "close", "quit",
                                              "release", "show 原木一", "show"};

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The number of the error `run` raises; 0 when it raises none.
template <class Run>
int errorNumber(Run&& run) {
  try {
    run();
  } catch (const QuenbyError& e) {
    return e.number();
  }
  return 0;
}

std::map<std::string, std::string> texts(const LogTallySheet& s) {
  std::map<std::string, std::string> m;
  for (const NamedField& f : s.fields()) m[toString(f.id)] = u8(f.field->text());
  return m;
}

TEST(ExportProcedure, RemindsBeforeAnySpreadsheetActivityOnTheFirstExportOnly) {
  LogTallySheet sheet;
  ExportCounter count;
  Recorder r;
  runExport(logTallyExportJob(sheet, "/b.xls"), count, r, r, r);
  EXPECT_EQ(r.log, concat({kReminder}, kOneAttempt));
  r.log.clear();
  runExport(logTallyExportJob(sheet, "/b.xls"), count, r, r, r);
  EXPECT_EQ(r.log, kOneAttempt);
  EXPECT_EQ(count.value(), 2);
  EXPECT_EQ(r.cells.size(), 203u);
}

TEST(ExportProcedure, OneSilentRestartWritesEveryCellAgainAndSavesOnce) {
  const struct {
    const char* name;
    const char* failing;
  } rows[] = {
      {"the office fails to start", "new"},
      {"the bill fails to open", "open"},
      {"writing fails halfway through the cells", "cell"},
      {"the save fails", "save"},
      {"the office fails to quit after the save", "quit"},
      {"the bill fails to be shown after the save", "show"},
  };
  for (const auto& [name, failing] : rows) {
    SCOPED_TRACE(name);
    LogTallySheet sheet;
    sheet.count(3, 1).setText(u"5");
    auto before = texts(sheet);
    ExportCounter count;
    Recorder r;
    r.failOn = failing;
    r.failInAttempts = {1};
    runExport(logTallyExportJob(sheet, "/b.xls"), count, r, r, r);
    EXPECT_EQ(r.attempt, 2);
    EXPECT_EQ(count.value(), 2);
    EXPECT_EQ(std::count(r.log.begin(), r.log.end(), kReminder), 1);
    EXPECT_EQ(r.log.front(), kReminder);
    // The abandoned attempt is released, and the second one runs whole.
    auto second = std::find(r.log.rbegin(), r.log.rend(), "new").base() - 1;
    ASSERT_NE(second, r.log.begin() + 1);
    EXPECT_EQ(*(second - 1), "release");
    EXPECT_EQ(std::vector<std::string>(second, r.log.end()), kOneAttempt);
    EXPECT_EQ(r.cells.size(), 203u);
    EXPECT_EQ(r.saves, std::string(failing) == "quit" || std::string(failing) == "show" ? 2 : 1);
    EXPECT_EQ(texts(sheet), before);
  }
}

TEST(ExportProcedure, SecondFailureReachesTheCallerWithItsNumber) {
  LogTallySheet sheet;
  auto before = texts(sheet);
  ExportCounter count;
  Recorder r;
  r.failOn = "open";
  r.failInAttempts = {1, 2};
  EXPECT_EQ(errorNumber([&] { runExport(logTallyExportJob(sheet, "/b.xls"), count, r, r, r); }), 1003);
  EXPECT_EQ(r.attempt, 2);
  EXPECT_EQ(r.saves, 0);
  EXPECT_EQ(r.log.back(), "release");
  EXPECT_EQ(std::count(r.log.begin(), r.log.end(), kReminder), 1);
  EXPECT_EQ(texts(sheet), before);

  // A later click starts afresh, with one restart available again and no reminder.
  r.log.clear();
  r.failInAttempts = {3};
  runExport(logTallyExportJob(sheet, "/b.xls"), count, r, r, r);
  EXPECT_EQ(r.attempt, 4);
  EXPECT_EQ(std::count(r.log.begin(), r.log.end(), kReminder), 0);
}

// The bill is saved twice when the viewer fails at the first attempt: the `saved` hook (the
// ledger's record) runs once, at the first save, before the bill is shown; the viewer asks the
// desktop on the office's thread, around the office's part, whether that part fails or not.
TEST(ExportProcedure, TheSaveIsToldOncePerClickAndTheViewerAsksOnTheOfficesThread) {
  for (const std::set<int>& failing : {std::set<int>{1}, std::set<int>{1, 2}}) {
    SCOPED_TRACE(failing.size());
    LogTallySheet sheet;
    ExportCounter count;
    Recorder r;
    r.failOn = "show";
    r.failInAttempts = failing;
    r.failWith = ExportError::BillNotShown;
    std::vector<std::string> savedAt;  // the calls made before each `saved`
    std::thread::id officeThread;
    const ExportParties parties{r,
                                r,
                                r,
                                nullptr,
                                [&](const std::function<void()>& officePart) {
                                  std::exception_ptr error;
                                  std::thread office([&] {
                                    officeThread = std::this_thread::get_id();
                                    try {
                                      officePart();
                                    } catch (...) {
                                      error = std::current_exception();
                                    }
                                  });
                                  office.join();
                                  if (error) std::rethrow_exception(error);
                                },
                                [&](const KeptPdf&) { savedAt.push_back(r.log.back()); }};
    const int raised = errorNumber([&] { runExport(logTallyExportJob(sheet, "/b.xls"), count, parties); });
    EXPECT_EQ(raised, failing.size() == 2 ? 1006 : 0);
    EXPECT_EQ(r.saves, 2);
    EXPECT_EQ(savedAt, std::vector<std::string>{"release"});  // after the office's part, before "show"
    EXPECT_EQ(r.prepareThreads, std::vector<std::thread::id>(4, officeThread));
    EXPECT_EQ(r.showThread, std::this_thread::get_id());
  }
}

// The first failure ends the export when the window has no restart, or when the export was
// abandoned because Quenby ends.
TEST(ExportProcedure, TheFirstFailureEndsTheExportWithoutRestartOrWhenQuenbyEnds) {
  struct Row {
    const char* name;
    RestartPolicy restart;
    ExportError error;
  };
  for (const Row& row : {Row{"no restart", RestartPolicy::None, ExportError::WorkbookMissing},
                         Row{"Quenby ends", RestartPolicy::OnceSilently, ExportError::ExportAbandoned}}) {
    SCOPED_TRACE(row.name);
    LogTallySheet sheet;
    ExportCounter count;
    Recorder r;
    r.failOn = "cell";
    r.failInAttempts = {1};
    r.failWith = row.error;
    ExportJob job = logTallyExportJob(sheet, "/b.xls");
    job.restart = row.restart;
    EXPECT_EQ(errorNumber([&] { runExport(job, count, r, r, r); }), static_cast<int>(row.error));
    EXPECT_EQ(r.attempt, 1);
    EXPECT_EQ(r.saves, 0);
    EXPECT_EQ(r.log.back(), "release");
  }
}

// A cell of the bill holds 32767 characters; a longer field is refused before anything starts.
TEST(ExportProcedure, AFieldLongerThanACellHoldsIsRefusedBeforeTheAttemptIsCounted) {
  struct Row {
    const char* name;
    size_t length;
    bool refused;
  };
  for (const Row& row :
       {Row{"at the limit", 32767, false}, Row{"one over", 32768, true}, Row{"far over", 100000, true}}) {
    SCOPED_TRACE(row.name);
    LogTallySheet sheet;
    sheet.field("Text16", 5).setText(std::u16string(row.length, u'9'));
    ExportCounter count;
    Recorder r;
    if (!row.refused) {
      runExport(logTallyExportJob(sheet, "/b.xls"), count, r, r, r);
      EXPECT_EQ(r.cells[std::make_pair(21, 8)].size(), row.length);
      continue;
    }
    try {
      runExport(logTallyExportJob(sheet, "/b.xls"), count, r, r, r);
      FAIL() << "no error";
    } catch (const QuenbyError& e) {
      EXPECT_EQ(e.number(), 1009);
      EXPECT_NE(e.description().find("Text16(5)"), std::string::npos) << e.description();
      EXPECT_NE(e.description().find(std::to_string(row.length)), std::string::npos) << e.description();
    }
    EXPECT_TRUE(r.log.empty()) << "the office was asked for something";
    EXPECT_EQ(count.value(), 0);
  }
}

// 取消 pressed inside a call: before the save it ends the export at once, without a restart, with
// the instance released; from the save on it is refused and the export completes.
TEST(ExportProcedure, ACancelBeforeTheSaveEndsTheExportAndOneFromTheSaveOnIsRefused) {
  using Step = ExportProgress::Step;
  struct Row {
    const char* name;
    const char* call;
    Step step;   // what the progress says at that moment
    bool taken;  // the cancel is taken, and the export ends with 1014
  };
  for (const Row& row : {Row{"while the office starts", "new", Step::Starting, true},
                         Row{"while the bill opens", "open", Step::Opening, true},
                         Row{"while the worksheet is taken", "sheet 原木一", Step::Opening, true},
                         Row{"while cells are written", "cell", Step::Writing, true},
                         Row{"during the save", "save", Step::Saving, false},
                         Row{"while the office quits", "quit", Step::Saving, false},
                         Row{"while the bill is shown", "show", Step::Showing, false}}) {
    SCOPED_TRACE(row.name);
    LogTallySheet sheet;
    ExportCounter count;
    ExportProgress progress(203);
    Recorder r;
    r.progress = &progress;
    r.cancelOn = row.call;
    const int error = errorNumber([&] {
      runExport(logTallyExportJob(sheet, "/b.xls"), count, ExportParties{r, r, r, &progress});
    });
    ASSERT_TRUE(r.cancelTaken.has_value()) << "no call " << row.call;
    EXPECT_EQ(*r.cancelTaken, row.taken);
    EXPECT_EQ(r.stepAtCancel, row.step);
    EXPECT_EQ(progress.cancelled(), row.taken);
    EXPECT_EQ(count.value(), 1);  // a cancel is never followed by a restart
    EXPECT_EQ(r.attempt, 1);
    if (row.taken) {
      EXPECT_EQ(error, 1014);
      EXPECT_EQ(r.saves, 0);
      EXPECT_EQ(r.log.back(), "release");
      EXPECT_EQ(std::count(r.log.begin(), r.log.end(), "show"), 0);
      if (std::string(row.call) == "cell") {
        EXPECT_EQ(progress.cellsWritten(), 100);
      }
    } else {
      EXPECT_EQ(error, 0);
      EXPECT_EQ(r.saves, 1);
      EXPECT_EQ(r.log.back(), "show");
      EXPECT_EQ(progress.cellsWritten(), 203);
    }
  }
}

// An export that starts over after a failure names its steps again as they come: the count of
// cells begins anew, and 取消 is offered again until the next save.
TEST(ExportProgress, ARestartNamesEveryStepAgainFromTheStart) {
  ExportProgress progress(203);
  progress.enter(ExportProgress::Step::Writing);
  for (int i = 0; i < 5; ++i) progress.cellWritten();
  progress.enter(ExportProgress::Step::Saving);
  EXPECT_FALSE(progress.cancellable());
  progress.enter(ExportProgress::Step::Starting);
  EXPECT_EQ(progress.step(), ExportProgress::Step::Starting);
  EXPECT_EQ(progress.cellsWritten(), 0);
  EXPECT_TRUE(progress.cancellable());
}

TEST(ExportCounter, StopsAtTheLargestSixteenBitValue) {
  ExportCounter c;
  EXPECT_TRUE(c.countAttempt());
  int firsts = 0;
  for (int i = 0; i < 40000; ++i) firsts += c.countAttempt();
  EXPECT_EQ(firsts, 0);
  EXPECT_EQ(c.value(), 32767);
}

std::string cellName(int row, int column) {
  return std::string(1, char('A' + column - 1)) + std::to_string(row);
}

TEST(LogTallyCellMap, WritesEachOf203CellsOnceFromItsField) {
  LogTallySheet sheet;
  // Give every field its own text so that each cell can be traced back to its source. Twice:
  // the first pass's clearing rules may empty fields whose partners were still empty.
  for (int pass = 0; pass < 2; ++pass)
    for (const NamedField& f : sheet.fields()) f.field->setText(u16("v:" + toString(f.id)));
  std::map<std::string, std::string> byCell;
  for (const CellSource& c : logTallyExportJob(sheet, "").cells) {
    ASSERT_GE(c.column, 1);
    ASSERT_LE(c.column, 12);
    EXPECT_TRUE(byCell.emplace(cellName(c.row, c.column), u8(c.text)).second)
        << cellName(c.row, c.column) << " written twice";
  }
  EXPECT_EQ(byCell.size(), 203u);
  for (const auto& [cell, source] : byCell)
    for (int row : {1, 2, 6, 22, 24}) EXPECT_NE(cell.substr(1), std::to_string(row)) << cell;

  const std::map<std::string, std::string> expected = {
      {"A7", "v:Text1(0)"},   {"L20", "v:Text14(11)"}, {"C9", "v:Text3(2)"},   {"E10", "v:Text4(4)"},
      {"A3", "v:Combo4"},     {"C3", "v:Text17"},      {"H3", "v:Combo2"},     {"J3", "v:Text22"},
      {"B4", "v:Text27"},     {"H4", "v:Text25"},      {"B5", "v:Text23"},     {"E5", "v:Text15"},
      {"H5", "v:Text26"},     {"K5", "v:Text21"},      {"B21", "v:Text16(0)"}, {"C21", "v:Text16(1)"},
      {"E21", "v:Text16(2)"}, {"F21", "v:Text16(3)"},  {"H21", "v:Text16(5)"}, {"I21", "v:Text16(4)"},
      {"K21", "v:Text16(6)"}, {"L21", "v:Text16(7)"},  {"A23", "v:Text18(0)"}, {"B23", "v:Text19(0)"},
      {"D23", "v:Text18(1)"}, {"E23", "v:Text19(1)"},  {"G23", "v:Text18(2)"}, {"H23", "v:Text19(5)"},
      {"J23", "v:Text18(3)"}, {"K23", "v:Text19(6)"},  {"A25", "v:Text19(4)"}, {"C25", "v:Text19(3)"},
      {"E25", "v:Text19(2)"}, {"H25", "v:Text28"},     {"J25", "v:Text29"},    {"A26", "v:Combo5"},
      {"C26", "v:Text20"},    {"H26", "v:Combo1"},     {"J26", "v:Text24"},
  };
  for (const auto& [cell, source] : expected) EXPECT_EQ(byCell[cell], source) << cell;
  for (int k = 1; k <= 14; ++k)
    for (int i = 0; i < 12; ++i)
      EXPECT_EQ(byCell[cellName(6 + k, i + 1)], "v:Text" + std::to_string(k) + "(" + std::to_string(i) + ")");
}

}  // namespace
}  // namespace quenby

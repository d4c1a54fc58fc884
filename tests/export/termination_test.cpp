// Quenby ending while an export writes cells, or while it holds an idle office started ahead: the
// program runs in its own process (the export driver, set up as the application is) and is sent
// SIGTERM, SIGINT, SIGHUP or SIGKILL. Once it is gone, no office process, profile folder, lock file
// or office socket is left, the bill is byte-identical, and the next export works.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <string>
#include <string_view>
#include <thread>

#include <gtest/gtest.h>

#include "export/export_procedure.h"
#include "forwarding_host.h"
#include "logtally/log_tally_export.h"
#include "office/office_process.h"
#include "office/process_group.h"
#include "office_test_support.h"
#include "workbook_reader.h"

namespace quenby {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using test::ScratchBill;

// The export driver on a scratch bill, its profiles in a temporary folder of the test's own.
class Driver {
 public:
  Driver(const ScratchBill& bill, const std::vector<std::string>& options)
      : Driver(bill.billUtf8(), bill.dir() / "tmp", options) {}
  // On the bill `billUtf8`, its profiles in `tmp`; under the umask `umask` when one is given.
  Driver(const std::string& billUtf8, fs::path tmp, const std::vector<std::string>& options,
         const char* umask = nullptr)
      : tmp_(std::move(tmp)) {
    fs::create_directories(tmp_);
    int fds[2];
    EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    std::vector<std::string> args;
    if (umask) args = {"sh", "-c", std::string("umask ") + umask + " && exec \"$0\" \"$@\""};
    args.insert(args.end(), {QUENBY_EXPORT_DRIVER, billUtf8});
    args.insert(args.end(), options.begin(), options.end());
    pid_ = test::spawnProcess(args, fds[1], {"TMPDIR=" + tmp_.string()});
    ::close(fds[1]);
    output_ = fds[0];
  }
  ~Driver() {
    if (pid_ > 0 && !ended_) {
      ::kill(-pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    ::close(output_);
  }

  pid_t pid() const { return pid_; }
  const fs::path& tmp() const { return tmp_; }

  // Reads the driver's output until a line `line` came (true) or `timeout` passed.
  bool waitFor(const std::string& line, milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      for (size_t end; (end = text_.find('\n', scanned_)) != std::string::npos; scanned_ = end + 1)
        if (text_.compare(scanned_, end - scanned_, line) == 0) return true;
      const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      pollfd p{output_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
      char buffer[256];
      const ssize_t n = ::read(output_, buffer, sizeof buffer);
      if (n <= 0) return false;
      text_.append(buffer, static_cast<size_t>(n));
    }
  }
  // Waits for the driver to end; its wait status, or -1 when it did not end in time.
  int waitForEnd(milliseconds timeout) {
    int status = 0;
    if (!test::eventually([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, timeout)) return -1;
    ended_ = true;
    char buffer[256];
    for (ssize_t n; (n = ::read(output_, buffer, sizeof buffer)) > 0;)
      text_.append(buffer, static_cast<size_t>(n));
    return status;
  }
  const std::string& output() const { return text_; }

 private:
  fs::path tmp_;
  pid_t pid_ = 0;
  int output_ = -1;
  bool ended_ = false;
  std::string text_;
  size_t scanned_ = 0;
};

// The process groups of the offices running on profiles under `tmp`, and the sockets they listen on.
std::set<std::string> socketsOfOfficesUnder(const fs::path& tmp) {
  std::set<std::string> sockets;
  for (pid_t pid : test::processesMentioning("UserInstallation=file://" + tmp.string()))
    sockets.merge(officeSockets(::getpgid(pid)));
  return sockets;
}

// Everything the driver's offices could leave is gone.
void expectNothingLeft(const Driver& driver, const ScratchBill& bill, const std::set<std::string>& sockets) {
  const std::string tmp = driver.tmp().string();
  EXPECT_TRUE(test::eventually([&] { return !test::processMentions(tmp); }, milliseconds(10000)))
      << "an office (or its watchdog) still runs";
  EXPECT_TRUE(test::eventually([&] { return fs::is_empty(driver.tmp()); }, milliseconds(5000)))
      << fs::directory_iterator(driver.tmp())->path() << " left";
  for (const std::string& s : sockets) EXPECT_FALSE(fs::exists(s)) << s;
  for (const auto& entry : fs::directory_iterator(bill.dir()))
    EXPECT_TRUE(entry.path() == bill.bill() || entry.path() == driver.tmp())
        << entry.path() << " left beside the bill";
}

struct Ending {
  const char* name;
  int signal;
  std::vector<std::string> options = {};
  const char* ready = "writing";  // the driver's line once it is where the signal should find it
};
void PrintTo(const Ending& row, std::ostream* os) { *os << row.name; }

class QuenbyEnding : public testing::TestWithParam<Ending> {};

TEST_P(QuenbyEnding, LeavesNothingAndTheNextExportWorks) {
  const bool idle = GetParam().ready == std::string("idle");
  ScratchBill bill;
  const std::string before = test::fileBytes(bill.bill());
  std::set<std::string> sockets;
  {
    std::vector<std::string> options = {"--cell-delay-ms", "20"};
    options.insert(options.end(), GetParam().options.begin(), GetParam().options.end());
    Driver driver(bill, options);
    ASSERT_TRUE(driver.waitFor(GetParam().ready, milliseconds(60000))) << driver.output();
    sockets = socketsOfOfficesUnder(driver.tmp());
    EXPECT_EQ(sockets.size(), 2u) << "the office's own pipe and the one we connect on";

    // To the driver's process group, as a terminal sends Ctrl+C or a hang-up.
    ASSERT_EQ(::kill(-driver.pid(), GetParam().signal), 0);
    const int status = driver.waitForEnd(milliseconds(30000));
    if (GetParam().signal == SIGKILL) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    } else {
      // In order: the export is abandoned (1010) and the application quits.
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << "\n" << driver.output();
      if (!idle) {
        EXPECT_TRUE(driver.waitFor("error 1010", milliseconds(0))) << driver.output();
      }
      EXPECT_TRUE(driver.waitFor("quit", milliseconds(0))) << driver.output();
    }
    expectNothingLeft(driver, bill, sockets);
  }
  EXPECT_TRUE(test::fileBytes(bill.bill()) == before) << "the bill changed";

  test::ScopedTmpdir tmpdir(bill.dir() / "tmp");
  LibreOfficeHost host = test::officeHost();
  test::Silent silent;
  LogTallySheet sheet;
  ExportCounter exportCount;
  sheet.field("Text17").setText(u"下一次");
  runExport(logTallyExportJob(sheet, bill.billUtf8()), exportCount, host, silent, silent);
  EXPECT_EQ(readWorksheets(bill.billUtf8(), {u"原木一"}, 3, 3).at(0).at(3, 3).text, u"下一次");
}

INSTANTIATE_TEST_SUITE_P(Termination, QuenbyEnding,
                         // Without a restart (as a window without one exports), the broken call itself
                         // must say that the export was abandoned.
                         // An idle office started ahead goes with the program too: the termination
                         // handling ends it, or its watchdog.
                         testing::Values(Ending{"SIGTERM", SIGTERM},
                                         Ending{"SIGINT", SIGINT, {"--no-restart"}}, Ending{"SIGHUP", SIGHUP},
                                         Ending{"SIGKILL", SIGKILL},
                                         Ending{"SIGTERMWhileIdle", SIGTERM, {"--idle"}, "idle"},
                                         Ending{"SIGKILLWhileIdle", SIGKILL, {"--idle"}, "idle"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The processes whose temporary folder (TMPDIR) is `tmp` or inside it: the driver, its offices
// and their watchdogs, whatever their command lines hold.
std::vector<pid_t> processesWithTemporaryFolderIn(const fs::path& tmp) {
  const std::string entry = "TMPDIR=" + tmp.string();
  std::vector<pid_t> found;
  std::error_code ec;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string environment = test::fileBytes(it->path() / "environ");
    for (size_t start = 0, stop; start < environment.size(); start = stop + 1) {
      stop = std::min(environment.find('\0', start), environment.size());
      const std::string_view variable(environment.data() + start, stop - start);
      if (variable == entry || variable.substr(0, entry.size() + 1) == entry + "/")
        found.push_back(static_cast<pid_t>(std::stol(name)));
    }
  }
  return found;
}

struct OddFolder {
  const char* name;
  const char* folder;  // @VICTIM@ stands for the victim file's path
};
void PrintTo(const OddFolder& row, std::ostream* os) { *os << row.name; }

// Faults: the watchdog knew its office by the profile's path in the office's command line, where
// the office holds it URL-encoded, so that under a temporary folder whose path needs encoding a
// killed Quenby left its office running and its profile removed from under it; the record's
// lines could be forged from the bill's path; and under umask 000 the office's pipe sockets and
// its files were open to every user. The driver runs under umask 000, its temporary folder and its
// bill in an odd folder, and is killed mid-export: no office or watchdog is left, no profile, no
// socket, nothing beside the bill, and the file a forged line would name is still there.
class KilledUnderAnOddFolder : public testing::TestWithParam<OddFolder> {};

TEST_P(KilledUnderAnOddFolder, LeavesNothingAndNothingOfItsWasOpenToOthers) {
  ScratchBill scratch;
  const fs::path victim = scratch.dir() / "victim.txt";
  std::ofstream(victim) << "no semicolon";
  std::string folder = GetParam().folder;
  if (const size_t at = folder.find("@VICTIM@"); at != std::string::npos)
    folder.replace(at, 8, victim.string());
  const fs::path odd = scratch.dir() / folder, tmp = odd / "tmp", bill = odd / u8"账单明细.xls";
  fs::create_directories(odd);
  fs::copy_file(test::templatePath(), bill);
  {
    Driver driver(test::utf8(bill), tmp, {"--cell-delay-ms", "20"}, "000");
    ASSERT_TRUE(driver.waitFor("writing", milliseconds(60000))) << driver.output();

    std::set<std::string> sockets;
    for (pid_t pid : processesWithTemporaryFolderIn(tmp))
      if (pid != driver.pid()) sockets.merge(officeSockets(::getpgid(pid)));
    EXPECT_EQ(sockets.size(), 2u) << "the office's own pipe and the one we connect on";
    const fs::path lock = odd / u8".~lock.账单明细.xls#";
    EXPECT_TRUE(fs::exists(lock)) << "the office took the bill";
    std::vector<fs::path> private_ = {sockets.begin(), sockets.end()};
    private_.push_back(lock);
    std::error_code ec;
    for (fs::recursive_directory_iterator it(tmp, ec), end; !ec && it != end; it.increment(ec))
      private_.push_back(it->path());
    EXPECT_GT(private_.size(), 10u) << "the profile, its files and the lock";
    for (const fs::path& path : private_) {
      struct stat st {};
      if (::lstat(path.c_str(), &st) == 0) {
        EXPECT_EQ(st.st_mode & 077, 0u) << path << " is open to others";
      }
    }

    ASSERT_EQ(::kill(-driver.pid(), SIGKILL), 0);
    const int status = driver.waitForEnd(milliseconds(30000));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    EXPECT_TRUE(
        test::eventually([&] { return processesWithTemporaryFolderIn(tmp).empty(); }, milliseconds(10000)))
        << "an office or its watchdog still runs";
    EXPECT_TRUE(test::eventually([&] { return fs::is_empty(tmp); }, milliseconds(5000)))
        << fs::directory_iterator(tmp)->path() << " left";
    for (const std::string& s : sockets) EXPECT_FALSE(fs::exists(s)) << s;
    for (const auto& entry : fs::directory_iterator(odd))
      EXPECT_TRUE(entry.path() == bill || entry.path() == tmp) << entry.path() << " left beside the bill";
    EXPECT_EQ(test::fileBytes(victim), "no semicolon");
  }
  for (pid_t pid : processesWithTemporaryFolderIn(tmp)) ::kill(-::getpgid(pid), SIGKILL);
}

INSTANTIATE_TEST_SUITE_P(Termination, KilledUnderAnOddFolder,
                         testing::Values(OddFolder{"SpaceAndPercent", "t a%41"},
                                         OddFolder{"QuotesAndLockSeparators", "t'q\"q,;\\"},
                                         OddFolder{"CommandSubstitution", "t$(echo x)`echo y`"},
                                         OddFolder{"Chinese", "临时文件夹"},
                                         OddFolder{"Newline", "t\nlock=@VICTIM@\nz"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Quenby ends while the office writes the bill (held still meanwhile, so that the end surely
// falls into the save): the save is let finish, then the office is ended. The bill is whole and
// new, and neither the office's unfinished copy nor anything else is left. On SIGTERM our own
// termination handling waits for the save; on SIGKILL the watchdog does.
class EndingDuringTheSave : public testing::TestWithParam<Ending> {};

TEST_P(EndingDuringTheSave, LetsTheSaveFinishFirst) {
  ScratchBill bill;
  const std::string before = test::fileBytes(bill.bill());
  {
    Driver driver(bill, {"--signal-during-save", std::to_string(GetParam().signal)});
    const int status = driver.waitForEnd(milliseconds(60000));
    if (GetParam().signal == SIGKILL) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
      // The driver died before it could let the office go on; the office's save resumes here.
      std::this_thread::sleep_for(milliseconds(1000));
      for (pid_t pid : test::processesMentioning("UserInstallation=file://" + driver.tmp().string()))
        ::kill(pid, SIGCONT);
    } else {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << "\n" << driver.output();
      EXPECT_TRUE(driver.waitFor("error 1010", milliseconds(0))) << driver.output();
    }
    expectNothingLeft(driver, bill, {});
  }
  EXPECT_TRUE(test::fileBytes(bill.bill()) != before) << "the bill was not saved";
  EXPECT_EQ(readWorksheets(bill.billUtf8(), {u"原木一"}, 3, 3).at(0).at(3, 3).text, u"林场");
}

INSTANTIATE_TEST_SUITE_P(Termination, EndingDuringTheSave,
                         testing::Values(Ending{"SIGTERM", SIGTERM}, Ending{"SIGKILL", SIGKILL}),
                         [](const auto& info) { return std::string(info.param.name); });

// Killed after asking for the save but before the office began it (the office held still): the
// office drops the save with the connection, and the watchdog does not wait out the save's
// deadline (15 s here) to end it.
TEST(Termination, AKillBeforeTheOfficeBeginsTheSaveIsNotWaitedOut) {
  ScratchBill bill;
  const std::string before = test::fileBytes(bill.bill());
  Driver driver(bill, {"--signal-before-save", std::to_string(SIGKILL)});
  const int status = driver.waitForEnd(milliseconds(60000));
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
  const auto killed = std::chrono::steady_clock::now();
  EXPECT_TRUE(test::eventually([&] { return fs::is_empty(driver.tmp()); }, milliseconds(6000)));
  EXPECT_LT(std::chrono::steady_clock::now() - killed, milliseconds(6000));
  expectNothingLeft(driver, bill, {});
  EXPECT_TRUE(test::fileBytes(bill.bill()) == before) << "the bill changed";
}

// A termination signal once the bill is saved: the export still ends as abandoned, so that the
// bill is not opened for the user while Quenby quits.
TEST(Termination, ASignalAfterTheSaveEndsTheExportWithoutShowingTheBill) {
  ScratchBill bill;
  const std::string before = test::fileBytes(bill.bill());
  {
    Driver driver(bill, {"--signal-before-quit", std::to_string(SIGTERM)});
    const int status = driver.waitForEnd(milliseconds(60000));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << "\n" << driver.output();
    EXPECT_TRUE(driver.waitFor("error 1010", milliseconds(0))) << driver.output();
    expectNothingLeft(driver, bill, {});
  }
  EXPECT_TRUE(test::fileBytes(bill.bill()) != before) << "the bill was not saved";
}

}  // namespace
}  // namespace quenby

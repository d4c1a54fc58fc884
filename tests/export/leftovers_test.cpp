// What an ended Quenby left behind, met by the next export: the offices, profiles, sockets and
// locks of ours whose owner has gone are removed, everything of a live owner or another host
// stays; and a failed export leaves nothing of its offices behind.

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include "export/export_error.h"
#include "export/export_procedure.h"
#include "forwarding_host.h"
#include "logtally/log_tally_export.h"
#include "office/office_names.h"
#include "office/office_process.h"
#include "office/office_profile.h"
#include "office/office_watchdog.h"
#include "office/process_group.h"
#include "office_test_support.h"

namespace quenby {
namespace {

namespace fs = std::filesystem;
using test::ScratchBill;

std::string thisHost() {
  char name[256] = {};
  ::gethostname(name, sizeof name - 1);
  return name;
}

// A value as an owner record holds it: every byte but ASCII letters, digits and "/._~-" as %XX.
std::string recordValue(const std::string& value) {
  std::string encoded;
  for (const char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) && c < 0x80)
      encoded += ch;
    else if (std::strchr("/._~-", ch) && ch != '\0')
      encoded += ch;
    else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      encoded += hex;
    }
  }
  return encoded;
}

// A socket file at `path` that no one listens on any more, as a killed office leaves its pipe.
bool leaveSocketFile(const fs::path& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return bound;
}

// A process that ended: its number and start time, as an owner record holds them.
std::pair<pid_t, unsigned long long> endedProcess() {
  const pid_t pid = test::spawnProcess({"sleep", "30"});
  const unsigned long long started = processStartTime(pid);
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  return {pid, started};
}

enum class Owner { Ended, Live, NumberReused, OtherHost };

struct Leftover {
  const char* name;
  Owner owner;
  bool removed;  // the office ended, the profile, its socket and the lock removed, the save works
};
void PrintTo(const Leftover& row, std::ostream* os) { *os << row.name; }

class LeftoverOffice : public testing::TestWithParam<Leftover> {};

// A profile of ours with an owner record, a stand-in office running on it in a process group of
// its own, a socket file it listed, a socket it listens on unlisted, and its lock beside the bill.
TEST_P(LeftoverOffice, IsRemovedOnlyWhenItsOwnerHasEndedOnThisHost) {
  ScratchBill bill;
  const fs::path tmp = bill.dir() / "tmp";
  test::ScopedTmpdir tmpdir(tmp);
  const fs::path profile = tmp / "quenby-office-left1";
  fs::create_directories(profile / "user");
  fs::permissions(profile, fs::perms::owner_all);
  const fs::path socket = bill.dir() / "OSL_PIPE_0_SingleOfficeIPC_left1";
  ASSERT_TRUE(leaveSocketFile(socket));
  // An office killed as it starts may listen on a socket before its owner could record it.
  const fs::path unrecorded = bill.dir() / "OSL_PIPE_0_quenby_left1";
  const pid_t office =
      test::spawnListeningOffice(unrecorded.string(), "-env:UserInstallation=file://" + profile.string());
  ASSERT_GT(office, 0);
  ASSERT_TRUE(test::eventually([&] { return fs::exists(unrecorded); }, std::chrono::seconds(10)));

  pid_t owner = ::getpid();
  unsigned long long started = processStartTime(owner);
  std::string ownerHost = thisHost();
  switch (GetParam().owner) {
    case Owner::Ended:
      std::tie(owner, started) = endedProcess();
      break;
    case Owner::Live:
      break;
    case Owner::NumberReused:
      started += 1;
      break;  // our number, another start time
    case Owner::OtherHost:
      std::tie(owner, started) = endedProcess(), ownerHost = "another-" + ownerHost;
      break;
  }
  std::ofstream(profile / "quenby-owner")
      << "owner=" << owner << "\nstarted=" << started << "\nhost=" << ownerHost << "\ngroup=" << office
      << "\ngroup-started=" << processStartTime(office) << "\nsocket=" << socket.string()
      << "\nbill=" << recordValue(bill.billUtf8()) << "\n";
  const fs::path lock = bill.dir() / u8".~lock.账单明细.xls#";
  const std::string lockText = ",root," + ownerHost + ",08.12.2026 01:35,file://" + profile.string() + ";";
  std::ofstream(lock) << lockText;
  const std::string before = test::fileBytes(bill.bill());

  LibreOfficeHost host = test::officeHost();
  host.newInstance();
  // Starting an office clears what an ended owner left, whether or not its bill comes up again.
  EXPECT_EQ(fs::exists(profile), !GetParam().removed);
  // The office was ended as it opened the bill, before its lock was noted: a lock naming the
  // profile goes with it.
  EXPECT_EQ(fs::exists(lock), !GetParam().removed);
  if (GetParam().removed) {
    host.openWorkbook(bill.billUtf8());
    host.selectWorksheet(u"原木一");
    host.setCellText(7, 2, u"5");
    host.save();
    host.closeAllWorkbooks();
    host.quit();
    EXPECT_TRUE(test::fileBytes(bill.bill()) != before) << "the bill was not saved";
    EXPECT_FALSE(fs::exists(lock));
    EXPECT_FALSE(fs::exists(profile));
    EXPECT_FALSE(fs::exists(socket));
    EXPECT_FALSE(fs::exists(unrecorded));
    int status = 0;
    EXPECT_EQ(::waitpid(office, &status, 0), office);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_TRUE(test::eventually([&] { return runningMembers(office).empty(); }, std::chrono::seconds(5)));
  } else {
    try {
      host.openWorkbook(bill.billUtf8());  // held by another: refused before any cell
      ADD_FAILURE() << "opened a bill under a lock that is not ours to remove";
    } catch (const QuenbyError& e) {
      EXPECT_EQ(e.number(), 1005) << e.description();
    }
    host.release();
    EXPECT_TRUE(test::fileBytes(bill.bill()) == before) << "the bill changed";
    EXPECT_EQ(test::fileBytes(lock), lockText);
    EXPECT_TRUE(fs::exists(profile / "quenby-owner"));
    EXPECT_TRUE(fs::exists(socket));
    EXPECT_TRUE(fs::exists(unrecorded));
    EXPECT_EQ(::waitpid(office, nullptr, WNOHANG), 0) << "the office of a live owner was ended";
    ::kill(-office, SIGKILL);
    ::waitpid(office, nullptr, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Leftovers, LeftoverOffice,
                         testing::Values(Leftover{"OwnerEnded", Owner::Ended, true},
                                         Leftover{"OwnerNumberTakenByALaterProcess", Owner::NumberReused,
                                                  true},
                                         Leftover{"OwnerLive", Owner::Live, false},
                                         Leftover{"OtherHost", Owner::OtherHost, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Fault: the sweep of abandoned offices trusted any folder named like a profile and any record in
// it. A folder planted in the shared temporary folder by another user (the tests run as root:
// nobody plants it), one open to others or reached through a link, or a record open to others,
// reached through a link or not wholly of the form we write, is left alone: its office runs on, the
// socket it lists stays, and so does the file its lock= line names. A well-formed folder of ours
// is swept: its office ended, its socket and the folder removed, and still not the file its lock=
// line names, which is no lock of the bill it names. Fault: the office was known by text; a
// process group whose leader is not the process that started then is not ended.
enum class Planted {
  ByAnotherUser,
  FolderOpenToOthers,
  FolderThroughALink,
  RecordWithAnUnknownKey,
  RecordWithARawSpace,
  RecordWritableByOthers,
  RecordThroughALink,
  OursAndWellFormed,
  OursButItsGroupNumberTakenByALaterProcess
};
struct PlantedRow {
  const char* name;
  Planted how;
  bool swept = false;
  bool officeEnded = false;
};
void PrintTo(const PlantedRow& row, std::ostream* os) { *os << row.name; }

class PlantedFolder : public testing::TestWithParam<PlantedRow> {};

TEST_P(PlantedFolder, IsSweptOnlyWhenItAndItsRecordAreTheUsersOwn) {
  const Planted how = GetParam().how;
  ScratchBill scratch;
  // A shared temporary folder another user can reach and write.
  fs::permissions(scratch.dir(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  const fs::path tmp = scratch.dir() / "tmp";
  fs::create_directory(tmp);
  fs::permissions(tmp, fs::perms::all | fs::perms::sticky_bit);
  test::ScopedTmpdir tmpdir(tmp);
  const fs::path profile = tmp / "quenby-office-plant1";
  const fs::path victim = scratch.dir() / "victim.txt";
  std::ofstream(victim) << "the user's own, no semicolon";
  const fs::path socket = scratch.dir() / "OSL_PIPE_0_quenby_plant1";
  const pid_t office =
      test::spawnListeningOffice(socket.string(), "-env:UserInstallation=file://" + profile.string());
  ASSERT_GT(office, 0);
  ASSERT_TRUE(test::eventually([&] { return fs::exists(socket); }, std::chrono::seconds(10)));
  const auto [owner, started] = endedProcess();
  // Well formed, with a bill whose folder holds a newline and Chinese, encoded.
  const std::string record =
      "owner=" + std::to_string(owner) + "\nstarted=" + std::to_string(started) + "\nhost=" + thisHost() +
      "\ngroup=" + std::to_string(office) + "\ngroup-started=" +
      std::to_string(processStartTime(office) + (how == Planted::OursButItsGroupNumberTakenByALaterProcess)) +
      "\nsocket=" + recordValue(socket.string()) + "\nlock=" + recordValue(victim.string()) +
      "\nbill=" + recordValue(scratch.dir().string()) + "/h%0Az/%E8%B4%A6%E5%8D%95.xls\n";
  if (how == Planted::ByAnotherUser) {
    const pid_t planter =
        test::spawnProcess({"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "sh", "-c",
                            "umask 077 && mkdir \"$1\" && printf %s \"$2\" > \"$1/quenby-owner\"", "sh",
                            profile.string(), record});
    int status = 0;
    ASSERT_EQ(::waitpid(planter, &status, 0), planter);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    struct stat st {};
    ASSERT_EQ(::lstat(profile.c_str(), &st), 0);
    ASSERT_NE(st.st_uid, ::geteuid()) << "planted as another user";
  } else {
    const fs::path folder = how == Planted::FolderThroughALink ? tmp / "elsewhere" : profile;
    fs::create_directory(folder);
    fs::permissions(folder, how == Planted::FolderOpenToOthers
                                ? fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec
                                : fs::perms::owner_all);
    const fs::path recordFile =
        how == Planted::RecordThroughALink ? scratch.dir() / "record" : folder / "quenby-owner";
    std::ofstream(recordFile) << record << (how == Planted::RecordWithAnUnknownKey ? "umask=000\n" : "")
                              << (how == Planted::RecordWithARawSpace ? "socket=/tmp/OSL_PIPE_0_a b\n" : "");
    fs::permissions(recordFile, how == Planted::RecordWritableByOthers
                                    ? fs::perms::owner_read | fs::perms::owner_write |
                                          fs::perms::group_write | fs::perms::others_write
                                    : fs::perms::owner_read | fs::perms::owner_write);
    if (how == Planted::RecordThroughALink) fs::create_symlink(recordFile, folder / "quenby-owner");
    if (how == Planted::FolderThroughALink) fs::create_directory_symlink(folder, profile);
  }

  endAbandonedOffices();

  const bool swept = GetParam().swept;
  EXPECT_EQ(test::fileBytes(victim), "the user's own, no semicolon");
  EXPECT_EQ(fs::exists(fs::symlink_status(profile)), !swept);
  EXPECT_EQ(fs::exists(socket), !swept);
  int status = 0;
  if (GetParam().officeEnded) {
    EXPECT_EQ(::waitpid(office, &status, 0), office);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
  } else {
    EXPECT_EQ(::waitpid(office, &status, WNOHANG), 0) << "the office a planted record names was ended";
    ::kill(-office, SIGKILL);
    ::waitpid(office, nullptr, 0);
  }
  ::kill(-office, SIGKILL);
}

INSTANTIATE_TEST_SUITE_P(
    Leftovers, PlantedFolder,
    testing::Values(PlantedRow{"ByAnotherUser", Planted::ByAnotherUser},
                    PlantedRow{"FolderOpenToOthers", Planted::FolderOpenToOthers},
                    PlantedRow{"FolderThroughALink", Planted::FolderThroughALink},
                    PlantedRow{"RecordWithAnUnknownKey", Planted::RecordWithAnUnknownKey},
                    PlantedRow{"RecordWithARawSpace", Planted::RecordWithARawSpace},
                    PlantedRow{"RecordWritableByOthers", Planted::RecordWritableByOthers},
                    PlantedRow{"RecordThroughALink", Planted::RecordThroughALink},
                    PlantedRow{"OursAndWellFormed", Planted::OursAndWellFormed, true, true},
                    PlantedRow{"OursButItsGroupNumberTakenByALaterProcess",
                               Planted::OursButItsGroupNumberTakenByALaterProcess, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Fault: a newline in the bill's path (from HOME, say) ended its line of the owner record and
// started another: the watchdog that ends an ordinary export removed the file a forged "lock="
// line named. It must leave that file, and still find the bill's lock naming its profile in the
// folder with the newline.
TEST(Leftovers, ANewlineInTheBillsPathCannotForgeALineOfTheOwnerRecord) {
  ScratchBill scratch;
  test::ScopedTmpdir tmpdir(scratch.dir() / "tmp");
  const fs::path victim = scratch.dir() / "victim.txt";
  std::ofstream(victim) << "no semicolon";
  const fs::path billFolder = scratch.dir() / ("h\nlock=" + victim.string() + "\nz");
  fs::create_directories(billFolder);
  const std::string profile = createProfile();
  const fs::path lock = billFolder / u8".~lock.账单明细.xls#";
  std::ofstream(lock) << ",root," << thisHost() << ",08.12.2026 01:35,file://" << profile << ";";
  {
    OfficeWatchdog watchdog;
    watchdog.start(0, 0, profile);
    appendToOwnerRecord(profile, kKeyBill, test::utf8(billFolder / u8"账单明细.xls"));
    EXPECT_TRUE(watchdog.finish());
  }
  EXPECT_EQ(test::fileBytes(victim), "no semicolon");
  EXPECT_FALSE(fs::exists(lock)) << "the bill's lock, which names the profile, was left";
  EXPECT_FALSE(fs::exists(profile));
}

// A lock naming a profile of ours that is gone: stale on this host, another host's business there.
TEST(Leftovers, ALockOfAnOfficeWhoseProfileIsGoneIsRemovedOnlyOnItsOwnHost) {
  for (bool ownHost : {true, false}) {
    SCOPED_TRACE(ownHost ? "this host" : "another host");
    ScratchBill bill;
    const fs::path lock = bill.dir() / u8".~lock.账单明细.xls#";
    const std::string lockText = ",root," + (ownHost ? thisHost() : "another-" + thisHost()) +
                                 ",08.12.2026 01:35,file://" + (bill.dir() / "quenby-office-gone").string() +
                                 ";";
    std::ofstream(lock) << lockText;
    LibreOfficeHost host = test::officeHost();
    if (ownHost) {
      test::openSheet(host, bill, u"原木一");
      host.setCellText(7, 2, u"5");
      host.save();
      host.closeAllWorkbooks();
      host.quit();
      EXPECT_FALSE(fs::exists(lock));
    } else {
      // Another machine's lock holds the bill: refused before any cell.
      EXPECT_THROW(test::openSheet(host, bill, u"原木一"), QuenbyError);
      host.release();
      EXPECT_EQ(test::fileBytes(lock), lockText);
    }
  }
}

// The real office, noting for each instance the sockets it listens on and whether its temporary
// folder is inside its profile.
struct SocketNotingHost : test::ForwardingHost {
  std::vector<std::set<std::string>> sockets;
  std::vector<bool> temporaryFolderInProfile;
  void newInstance() override {
    office.newInstance();
    sockets.push_back(officeSockets(office.officeProcessId()));
    bool found = false;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(office.profileDirectory()) / "tmp", ec), end; !ec && it != end;
         it.increment(ec))
      found = found || it->path().filename().string().rfind("lu", 0) == 0;
    temporaryFolderInProfile.push_back(found);
  }
};

// The office rewrites its lock in place when it saves; ended in the middle, it leaves the lock cut
// short. Such a lock of our own office goes with it; a lock that was another program's when the
// bill was opened stays, whatever it holds.
TEST(Leftovers, AnOwnLockCutShortGoesWithItsOfficeAForeignOneStays) {
  const struct {
    const char* what;
    const char* foreignLock;  // written before the bill is opened; nullptr: none
    bool survives;
  } rows[] = {
      {"our lock, emptied", nullptr, false},
      {"another program's lock, cut short", ",另一个用户,other-host,08.12.2026 01:00,file:///home/other",
       true},
  };
  for (const auto& r : rows) {
    ScratchBill bill;
    const fs::path lock = bill.dir() / u8".~lock.账单明细.xls#";
    if (r.foreignLock) std::ofstream(lock, std::ios::binary) << r.foreignLock;
    LibreOfficeHost host = test::officeHost();
    if (r.foreignLock) {
      EXPECT_THROW(test::openSheet(host, bill, u"原木一"), QuenbyError) << r.what;  // held: refused
    } else {
      test::openSheet(host, bill, u"原木一");
    }
    ASSERT_TRUE(fs::exists(lock)) << r.what;
    std::ofstream(lock, std::ios::binary | std::ios::trunc).flush();  // what a save cut off leaves
    host.release();
    EXPECT_EQ(fs::exists(lock), r.survives) << r.what;
  }
}

// Our own ending of an office (a passed deadline, Quenby's ending, a failed start) takes the pipe
// sockets it listens on along, whether or not they were noted; another group's stay.
TEST(Leftovers, AnOfficeKilledByItsOwnerTakesItsSocketsAlong) {
  const struct {
    const char* how;
    void (*kill)(pid_t);
  } rows[] = {{"its members", killOfficeMembers}, {"its whole group", killOfficeGroup}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.how);
    ScratchBill bill;
    const fs::path ours = bill.dir() / "OSL_PIPE_0_quenby_ours",
                   theirs = bill.dir() / "OSL_PIPE_0_quenby_theirs";
    const pid_t office = test::spawnListeningOffice(ours.string(), "ours");
    const pid_t other = test::spawnListeningOffice(theirs.string(), "theirs");
    ASSERT_TRUE(
        test::eventually([&] { return fs::exists(ours) && fs::exists(theirs); }, std::chrono::seconds(10)));
    r.kill(office);
    EXPECT_TRUE(test::eventually([&] { return runningMembers(office).empty(); }, std::chrono::seconds(5)));
    ::waitpid(office, nullptr, 0);
    EXPECT_FALSE(fs::exists(ours));
    EXPECT_TRUE(fs::exists(theirs));
    EXPECT_EQ(runningMembers(other).size(), 3u) << "the shell, its listener and its sleep";
    ::kill(-other, SIGKILL);
    ::waitpid(other, nullptr, 0);
  }
}

TEST(Leftovers, AFailedExportLeavesNoProfileTemporaryFolderOrSocket) {
  ScratchBill bill;
  const fs::path tmp = bill.dir() / "tmp";
  test::ScopedTmpdir tmpdir(tmp);
  ExportJob job{
      bill.billUtf8(), u"原木三", {}, RestartPolicy::OnceSilently};  // no such sheet: two failed attempts
  std::vector<std::set<std::string>> sockets;
  std::vector<bool> temporaryFolderInProfile;
  {
    SocketNotingHost host;
    test::Silent silent;
    ExportCounter count;
    try {
      runExport(job, count, host, silent, silent);
      FAIL() << "no error";
    } catch (const QuenbyError& e) {
      EXPECT_EQ(e.number(), 1004);
    }
    sockets = host.sockets;
    temporaryFolderInProfile = host.temporaryFolderInProfile;
  }  // with the office started ahead for the next export, if there is one
  ASSERT_EQ(sockets.size(), 2u);
  for (const auto& officeSockets : sockets) {
    // The office's own single-instance pipe and the pipe we connect on.
    int singleInstance = 0, ours = 0;
    for (const std::string& s : officeSockets) {
      singleInstance +=
          s.find("OSL_PIPE_") != std::string::npos && s.find("SingleOfficeIPC_") != std::string::npos;
      ours += s.find("_quenby_" + std::to_string(::getpid()) + "_") != std::string::npos;
      EXPECT_FALSE(fs::exists(s)) << s;
    }
    EXPECT_EQ(singleInstance, 1);
    EXPECT_EQ(ours, 1);
  }
  EXPECT_EQ(temporaryFolderInProfile, std::vector<bool>({true, true}));
  EXPECT_TRUE(fs::is_empty(tmp)) << fs::directory_iterator(tmp)->path();
}

}  // namespace
}  // namespace quenby

// A bill that is intact but whose disk or folder cannot take a save: each export is refused with
// the cause that holds (a full disk, a read-only file system, a folder that may not be written),
// never as a damaged bill or a read-only file, and the bill stays byte for byte as it was. The
// disks are small tmpfs mounts of the test's own (root only; skipped elsewhere).

#include <sys/mount.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include <gtest/gtest.h>

#include "calc/error.h"
#include "office/libreoffice_host.h"
#include "office_test_support.h"

namespace quenby {
namespace {

namespace fs = std::filesystem;

enum class Obstacle { FullDisk, LessRoomThanTheBill, ReadOnlyFileSystem, ImmutableFolder };

struct Case {
  const char* name;
  Obstacle obstacle;
  int number;
  const char* says;  // part of the description
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// A folder of its own holding a copy of the bill template, on a 256 KiB tmpfs where one is asked
// for. Unmounted and removed when the test ends, also when it fails.
class BillFolder {
 public:
  explicit BillFolder(bool onTmpfs) {
    std::string pattern = (fs::temp_directory_path() / "quenby-disk-test-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    if (onTmpfs) {
      if (::mount("quenby-test", dir_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k,mode=0755") != 0) {
        mountError_ = std::strerror(errno);
        return;
      }
      mounted_ = true;
    }
    bill_ = dir_ / u8"账单明细.xls";
    fs::copy_file(test::templatePath(), bill_);
  }
  ~BillFolder() {
    std::error_code ec;
    if (immutable_) std::system(("chattr -i '" + dir_.string() + "'").c_str());
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
    fs::remove_all(dir_, ec);
  }
  BillFolder(const BillFolder&) = delete;
  BillFolder& operator=(const BillFolder&) = delete;

  bool usable() const { return bill_.has_filename(); }
  const std::string& mountError() const { return mountError_; }
  const fs::path& bill() const { return bill_; }

  // Fills the disk to the last byte, then gives back `leave` bytes.
  void fill(std::uintmax_t leave) {
    const fs::path filler = dir_ / "filler";
    {
      std::ofstream out(filler, std::ios::binary);
      const std::vector<char> block(4096, 'x');
      while (out.write(block.data(), block.size())) {
      }
    }
    fs::resize_file(filler, fs::file_size(filler) - leave);
    ASSERT_EQ(fs::space(dir_).available, leave);
  }
  void remountReadOnly() {
    ASSERT_EQ(::mount(nullptr, dir_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0)
        << std::strerror(errno);
  }
  bool makeImmutable() {
    immutable_ = std::system(("chattr +i '" + dir_.string() + "' 2>/dev/null").c_str()) == 0;
    return immutable_;
  }

 private:
  fs::path dir_, bill_;
  bool mounted_ = false, immutable_ = false;
  std::string mountError_;
};

class BillDiskTest : public testing::TestWithParam<Case> {};

TEST_P(BillDiskTest, SaysTheCauseThatHoldsAndLeavesTheBillAsItWas) {
  if (::geteuid() != 0) GTEST_SKIP() << "filling, mounting or locking a folder for the bill needs root";
  const Obstacle obstacle = GetParam().obstacle;
  BillFolder folder(obstacle != Obstacle::ImmutableFolder);
  if (!folder.usable()) GTEST_SKIP() << "cannot mount a tmpfs here: " << folder.mountError();
  const std::string before = test::fileBytes(folder.bill());
  switch (obstacle) {
    case Obstacle::FullDisk:
      folder.fill(0);
      break;
    case Obstacle::LessRoomThanTheBill:  // room for the office's lock file, not for a saved copy
      folder.fill(8192);
      break;
    case Obstacle::ReadOnlyFileSystem:
      folder.remountReadOnly();
      break;
    case Obstacle::ImmutableFolder:
      if (!folder.makeImmutable()) GTEST_SKIP() << "chattr +i is not available here";
      break;
  }
  if (HasFatalFailure()) return;

  LibreOfficeHost host = test::officeHost();
  host.newInstance();
  const std::string profile = host.profileDirectory();
  try {
    host.openWorkbook(test::utf8(folder.bill()));
    host.selectWorksheet(u"原木一");
    host.setCellText(7, 1, u"30");
    host.save();
    ADD_FAILURE() << "the export went through";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), GetParam().number) << e.description();
    EXPECT_NE(e.description().find(GetParam().says), std::string::npos) << e.description();
  }
  host.release();
  EXPECT_FALSE(test::processMentions(profile)) << "office still running";
  EXPECT_EQ(test::fileBytes(folder.bill()), before);
}

INSTANTIATE_TEST_SUITE_P(
    BillDisk, BillDiskTest,
    testing::Values(
        Case{"FullDisk", Obstacle::FullDisk, 1011, "账单所在的磁盘已满（剩余 0 字节）：请腾出空间后再导出"},
        Case{"LessRoomThanTheBill", Obstacle::LessRoomThanTheBill, 1011, "磁盘已满（剩余 8192 字节）"},
        Case{"ReadOnlyFileSystem", Obstacle::ReadOnlyFileSystem, 1012, "所在的文件系统是只读的"},
        Case{"ImmutableFolder", Obstacle::ImmutableFolder, 1012, "不允许在账单所在的文件夹"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quenby

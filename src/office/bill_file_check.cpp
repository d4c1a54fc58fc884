#include "office/bill_file_check.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdint>

#include "export/export_error.h"
#include "office/file_url.h"

namespace quenby {

namespace fs = std::filesystem;

namespace {

// A save writes a whole new bill beside the old one, grown by the cells just written, and the
// office's lock file: a failure with less room than the bill and this is put down to the disk.
constexpr std::uintmax_t kSaveHeadroom = std::uintmax_t{1} << 20;

std::optional<QuenbyError> readOnlyFileSystem(const struct statvfs& disk, const std::string& shown) {
  if ((disk.f_flag & ST_RDONLY) == 0) return std::nullopt;
  return QuenbyError(ExportError::BillFolderReadOnly,
                     "账单 " + shown +
                         " 所在的文件系统是只读的（整个磁盘只允许读取），无法保存。请让这个磁盘可以写入（例如"
                         "去掉 U 盘的写保护，或请管理员把它重新挂载为可写），再重新导出。账单没有改动");
}

std::optional<QuenbyError> folderNotWritable(const fs::path& folder, const std::string& shown) {
  if (::access(folder.c_str(), W_OK) == 0) return std::nullopt;
  return QuenbyError(
      ExportError::BillFolderReadOnly,
      "不允许在账单所在的文件夹 " + utf8FromPath(folder) + " 中写入，无法保存账单 " + shown +
          "（保存时要在账单旁边写入新文件）。请给这个文件夹加上写入权限，再重新导出。账单没有改动");
}

std::optional<QuenbyError> readOnlyBill(const fs::path& bill, const std::string& shown) {
  if (!isReadOnlyFile(bill)) return std::nullopt;
  return QuenbyError(
      ExportError::WorkbookNotSaved,
      "账单工作簿 " + shown + " 是只读文件，无法保存。请取消它的只读属性并关闭正在使用它的程序，再重新导出");
}

std::optional<QuenbyError> diskFull(const fs::path& bill, const struct statvfs& disk,
                                    const std::string& shown) {
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(bill, ec);
  // Root may use the blocks the file system keeps back for it; the office runs as we do.
  const std::uintmax_t blocks = ::geteuid() == 0 ? disk.f_bfree : disk.f_bavail;
  const std::uintmax_t room = blocks * disk.f_frsize;
  if (room >= (ec ? 0 : size) + kSaveHeadroom) return std::nullopt;
  return QuenbyError(ExportError::BillDiskFull, "账单所在的磁盘已满（剩余 " + std::to_string(room) +
                                                    " 字节）：请腾出空间后再导出。账单 " + shown +
                                                    " 没有改动");
}

}  // namespace

bool isReadOnlyFile(const fs::path& bill) {
  struct stat st {};
  if (::stat(bill.c_str(), &st) != 0) return false;
  return (st.st_mode & 0222) == 0 || ::access(bill.c_str(), W_OK) != 0;
}

std::optional<QuenbyError> billFailureCause(const fs::path& bill, const std::string& shown, BillStep step) {
  const fs::path folder = bill.parent_path();
  struct statvfs disk {};
  const bool diskKnown = ::statvfs(folder.c_str(), &disk) == 0;
  if (diskKnown)
    if (auto cause = readOnlyFileSystem(disk, shown)) return cause;
  if (auto cause = folderNotWritable(folder, shown)) return cause;
  if (step == BillStep::Save)
    if (auto cause = readOnlyBill(bill, shown)) return cause;
  if (diskKnown) return diskFull(bill, disk, shown);
  return std::nullopt;
}

}  // namespace quenby

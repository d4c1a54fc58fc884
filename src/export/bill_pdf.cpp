#include "export/bill_pdf.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "export/export_error.h"

namespace quenby {

namespace fs = std::filesystem;

namespace {

// Less room than this after a failed write is put down to the disk: a bill's PDF with its fonts
// takes some hundred kilobytes.
constexpr std::uintmax_t kPdfHeadroom = std::uintmax_t{1} << 20;
constexpr int kMostNamesTried = 1000;

// The nearest folder of `path` (itself or above) that exists, for asking about its disk.
std::string existingFolder(std::string path) {
  std::error_code ec;
  while (!path.empty() && !fs::is_directory(path, ec)) path = fs::path(path).parent_path().string();
  return path.empty() ? std::string("/") : path;
}

// The cause of a failed write into `folder` in the user's words, from what the system says about
// the folder and its disk; `err` is the failed call's errno, 0 when the office reported it.
std::string causeOf(const std::string& folder, int err) {
  const std::string known = existingFolder(folder);
  struct statvfs disk {};
  const bool diskKnown = ::statvfs(known.c_str(), &disk) == 0;
  if (err == EROFS || (diskKnown && (disk.f_flag & ST_RDONLY)))
    return "文件夹 " + known + " 所在的磁盘是只读的";
  if (err == EACCES || err == EPERM || ::access(known.c_str(), W_OK) != 0)
    return "不允许在文件夹 " + known + " 中写入";
  if (diskKnown) {
    // Root may use the blocks the file system keeps back for it.
    const std::uintmax_t blocks = ::geteuid() == 0 ? disk.f_bfree : disk.f_bavail;
    const std::uintmax_t room = blocks * disk.f_frsize;
    if (err == ENOSPC || err == EDQUOT || room < kPdfHeadroom)
      return "磁盘已满（剩余 " + std::to_string(room) + " 字节）";
  }
  if (err != 0) return std::string("写入文件夹 ") + known + " 失败（" + std::strerror(err) + "）";
  return {};
}

QuenbyError notWritten(const PdfRequest& request, const std::string& cause) {
  return QuenbyError(ExportError::PdfNotWritten, "账单已经导出并保存，但没有生成它的 PDF：" + cause +
                                                     "。请检查文件夹 " + request.folder +
                                                     "，以后导出的账单会照常生成 PDF");
}

// Whether `path` is `root` or below it; nothing is below no root.
bool within(const std::string& path, const std::string& root) {
  return !root.empty() && (path == root || path.rfind(root + "/", 0) == 0);
}

// Makes `path` and the folders above it that are missing, each 0700; the folders of `root` and
// below are set to 0700 also when they were there.
void makeFolder(const PdfRequest& request, const std::string& path) {
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(path, ec))) {
    const std::string parent = fs::path(path).parent_path().string();
    if (!parent.empty() && parent != path) makeFolder(request, parent);
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) throw notWritten(request, causeOf(path, errno));
  }
  if (!fs::is_directory(path, ec)) throw notWritten(request, path + " 不是文件夹");
  if (within(path, request.root) && ::chmod(path.c_str(), 0700) != 0)
    throw notWritten(request, causeOf(path, errno));
}

// Renames `temporary` to `target` unless a file is there: 0 when renamed, EEXIST when a file is
// there, else the failure's errno.
int renameUnlessTaken(const std::string& temporary, const std::string& target) {
  if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system without that rename: a link fails on a file that is there.
  if (::link(temporary.c_str(), target.c_str()) != 0) return errno;
  ::unlink(temporary.c_str());
  return 0;
}

}  // namespace

std::string keepPdf(const PdfRequest& request, const std::function<void(const std::string&)>& write) {
  makeFolder(request, request.folder);
  std::string temporary = request.folder + "/.quenby-pdf-XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) throw notWritten(request, causeOf(request.folder, errno));
  ::fchmod(fd, 0600);
  ::close(fd);
  struct Remove {
    const std::string& path;
    ~Remove() { ::unlink(path.c_str()); }
  } remove{temporary};
  try {
    write(temporary);
  } catch (const QuenbyError& e) {
    if (e.is(ExportError::ExportAbandoned)) throw;
    const std::string cause = causeOf(request.folder, 0);
    throw notWritten(request, cause.empty() ? e.description() : cause);
  }
  struct stat st {};
  if (::stat(temporary.c_str(), &st) != 0 || st.st_size == 0) {
    const std::string cause = causeOf(request.folder, 0);
    throw notWritten(request, cause.empty() ? "电子表格程序没有写入 PDF" : cause);
  }
  // The office may have written a file of its own in place of ours.
  ::chmod(temporary.c_str(), 0600);
  for (int i = 1; i <= kMostNamesTried; ++i) {
    const std::string target = request.folder + "/" + request.name +
                               (i == 1 ? std::string() : " (" + std::to_string(i) + ")") + ".pdf";
    const int err = renameUnlessTaken(temporary, target);
    if (err == 0) return target;
    if (err != EEXIST) throw notWritten(request, causeOf(request.folder, err));
  }
  throw notWritten(request, "文件夹中同名的 PDF 太多");
}

}  // namespace quenby

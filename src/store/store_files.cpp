#include "store/store_files.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace quenby::store {

namespace {

constexpr mode_t kFolderMode = 0700;
constexpr mode_t kFileMode = 0600;
// A failure with less room than this left is put down to the disk: a save writes the sheets into
// the log and the shared-memory file takes 32 KiB before the first page.
constexpr qulonglong kRoomNeeded = 1 << 20;

QByteArray native(const QString& path) { return QFile::encodeName(path); }

QString absolute(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

QString parentOf(const QString& path) { return QFileInfo(path).path(); }

// The nearest of `folder` and the folders above it that exists, with what it is.
QString nearestExisting(const QString& folder, struct stat& st) {
  QString at = absolute(folder);
  while (::stat(native(at).constData(), &st) != 0 && at != QLatin1String("/")) at = parentOf(at);
  return at;
}

}  // namespace

bool makePrivateFolder(const QString& folder) {
  const QString target = absolute(folder);
  QStringList missing;
  struct stat st {};
  for (QString at = target; ::lstat(native(at).constData(), &st) != 0 && errno == ENOENT; at = parentOf(at)) {
    missing.prepend(at);
    if (at == QLatin1String("/")) break;
  }
  for (const QString& at : missing) {
    // The mode given to mkdir passes through the umask: it is set again exactly.
    if (::mkdir(native(at).constData(), kFolderMode) != 0 && errno != EEXIST) return false;
    ::chmod(native(at).constData(), kFolderMode);
  }
  if (::stat(native(target).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  // A folder that was there is tightened only when it is ours alone to decide: never a shared one
  // such as /tmp (sticky) or one of another owner, which other users and programs rely on.
  if ((st.st_mode & 07777) != kFolderMode && !(st.st_mode & S_ISVTX) && st.st_uid == ::geteuid())
    ::chmod(native(target).constData(), kFolderMode);
  return true;
}

void makePrivateFile(const QString& path) { ::chmod(native(path).constData(), kFileMode); }

std::optional<QString> prepareDatabaseFile(const QString& path) {
  const QFileInfo info(path);
  struct stat st {};
  if (::stat(native(path).constData(), &st) == 0) {
    if (S_ISDIR(st.st_mode))
      return QStringLiteral("其中的“%1”是一个文件夹，不是数据文件").arg(info.fileName());
    if (!S_ISREG(st.st_mode)) return QStringLiteral("其中的“%1”不是普通文件").arg(info.fileName());
    if ((st.st_mode & 07777) != kFileMode) makePrivateFile(path);
  } else if (errno == ENOENT) {
    // Made here rather than by SQLite, which gives a new file the umask's mode. A run making it at
    // the same moment finds it made (EEXIST); any other failure is SQLite's to report.
    const int fd =
        ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kFileMode);
    if (fd >= 0) {
      ::fchmod(fd, kFileMode);
      ::close(fd);
    }
  }
  // Picked by their beginning rather than by a name filter, which would compile a regular
  // expression at every start.
  const QDir folder = info.absoluteDir();
  for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
    if (name == info.fileName() || !name.startsWith(info.fileName())) continue;
    const QByteArray file = native(folder.filePath(name));
    if (::lstat(file.constData(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 07777) != kFileMode)
      ::chmod(file.constData(), kFileMode);
  }
  return std::nullopt;
}

QString cannotWriteCause(const QString& folder, const QString& path, const QString& otherwise) {
  struct stat st {};
  const QString at = nearestExisting(folder, st);
  const bool inFolder = at == absolute(folder);
  if (!S_ISDIR(st.st_mode))
    return inFolder ? QStringLiteral("它是一个文件，不是文件夹")
                    : QStringLiteral("“%1”是一个文件，不是文件夹").arg(QDir::toNativeSeparators(at));
  struct stat file {};
  const bool fileExists = inFolder && ::stat(native(path).constData(), &file) == 0;
  const QString name = QFileInfo(path).fileName();
  if (fileExists && S_ISDIR(file.st_mode))
    return QStringLiteral("其中的“%1”是一个文件夹，不是数据文件").arg(name);
  if (fileExists && !S_ISREG(file.st_mode)) return QStringLiteral("其中的“%1”不是普通文件").arg(name);
  struct statvfs disk {};
  const bool diskKnown = ::statvfs(native(at).constData(), &disk) == 0;
  if (diskKnown && (disk.f_flag & ST_RDONLY) != 0) return QStringLiteral("这个文件夹所在的磁盘是只读的");
  if (::access(native(at).constData(), W_OK) != 0)
    return inFolder ? QStringLiteral("没有在这个文件夹中写入的权限")
                    : QStringLiteral("没有在文件夹“%1”中写入的权限").arg(QDir::toNativeSeparators(at));
  if (fileExists && ::access(native(path).constData(), W_OK) != 0)
    return QStringLiteral("其中的数据文件“%1”是只读的").arg(name);
  if (diskKnown) {
    // Root may use the blocks the file system keeps back for it.
    const qulonglong blocks = ::geteuid() == 0 ? disk.f_bfree : disk.f_bavail;
    const qulonglong room = blocks * disk.f_frsize;
    if (room < kRoomNeeded) return QStringLiteral("磁盘已满，剩余 %1 字节").arg(room);
  }
  return otherwise;
}

}  // namespace quenby::store

#include "store/run_lock.h"

#include <QDir>

#include "store/store_files.h"

namespace quenby::store {

namespace {
const QString kRuns = QStringLiteral("runs");
const QString kSuffix = QStringLiteral(".lock");
}  // namespace

RunLock::RunLock(const QString& folder, const QString& token)
    : folder_(folder), file_(std::make_unique<QLockFile>(path(folder, token))) {
  file_->setStaleLockTime(0);
}

QString RunLock::path(const QString& folder, const QString& token) {
  return QDir(folder).filePath(kRuns + QLatin1Char('/') + token + kSuffix);
}

bool RunLock::lock(QString& reason) {
  const QString runs = QDir(folder_).filePath(kRuns);
  if (!makePrivateFolder(runs)) {
    reason = QStringLiteral("无法建立文件夹 %1").arg(QDir::toNativeSeparators(runs));
    return false;
  }
  if (file_->tryLock(0)) {
    // QLockFile makes the file with the umask's mode, inside the private folder: nobody else sees
    // it before it is set.
    makePrivateFile(file_->fileName());
    return true;
  }
  switch (file_->error()) {
    case QLockFile::PermissionError:
      reason = QStringLiteral("没有写入权限");
      break;
    case QLockFile::LockFailedError:
      reason = QStringLiteral("另一个程序占用了锁文件");
      break;
    default:
      reason = QStringLiteral("无法写入锁文件，磁盘可能已满");
      break;
  }
  return false;
}

bool RunLock::alive(const QString& folder, const QString& token) {
  QLockFile probe(path(folder, token));
  probe.setStaleLockTime(0);
  if (probe.tryLock(0)) {
    probe.unlock();
    return false;
  }
  return probe.error() == QLockFile::LockFailedError;
}

void RunLock::removeLeftovers(const QString& folder) {
  // Picked by their ending rather than by a name filter, which would compile a regular
  // expression (and load its library's code) at every start.
  const QStringList files = QDir(QDir(folder).filePath(kRuns)).entryList(QDir::Files);
  for (const QString& name : files)
    if (name.endsWith(kSuffix)) alive(folder, name.chopped(kSuffix.size()));
}

}  // namespace quenby::store

#include "store_test_support.h"

#include <errno.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QFile>
#include <cstring>
#include <string>

namespace quenby::store::testing {

namespace {
bool gCanMount = false;

bool writeFile(const char* path, const std::string& text) {
  const int fd = ::open(path, O_WRONLY);
  if (fd < 0) return false;
  const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  return ok;
}
}  // namespace

// Called by main() while the process has one thread only.
void enterMountNamespace() {
  const uid_t uid = ::geteuid();
  const gid_t gid = ::getegid();
  if (::unshare(CLONE_NEWNS | (uid == 0 ? 0 : CLONE_NEWUSER)) != 0) return;
  if (uid != 0 && !(writeFile("/proc/self/setgroups", "deny") &&
                    writeFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") &&
                    writeFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")))
    return;
  gCanMount = ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

bool canMount() { return gCanMount; }

QString mountTmpfs(const QString& at, qint64 bytes) {
  const std::string options = "size=" + std::to_string(bytes);
  if (::mount("tmpfs", QFile::encodeName(at).constData(), "tmpfs", 0, options.c_str()) != 0)
    return QString::fromLocal8Bit(std::strerror(errno));
  return {};
}

QString remountReadOnly(const QString& at) {
  if (::mount(nullptr, QFile::encodeName(at).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
    return QString::fromLocal8Bit(std::strerror(errno));
  return {};
}

void fill(const QString& filler) {
  QFile file(filler);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
  const QByteArray block(4096, 'x');
  while (file.write(block) == block.size()) {
  }
  while (file.write("x", 1) == 1) {  // the last partial block
  }
}

Driver::Driver(const QStringList& arguments) {
  process_.setProgram(QStringLiteral(STORE_DRIVER));
  process_.setArguments(arguments);
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_.start();
}

Driver::~Driver() { kill(); }

bool Driver::waitFor(const QByteArray& line) {
  while (!process_.canReadLine())
    if (!process_.waitForReadyRead(10000)) return false;
  return process_.readLine().trimmed() == line;
}

void Driver::kill() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.kill();
  process_.waitForFinished(10000);
}

}  // namespace quenby::store::testing

#include "support/postgres_server.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>
#include <stdexcept>

namespace quenby::testing {

namespace {

// The newest PostgreSQL's programs Debian installed, empty when there is none.
QString postgresBin() {
  QStringList versions =
      QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  std::sort(versions.begin(), versions.end(),
            [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
  for (auto v = versions.crbegin(); v != versions.crend(); ++v) {
    const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*v);
    if (QFile::exists(bin + QStringLiteral("/initdb")) && QFile::exists(bin + QStringLiteral("/pg_ctl")))
      return bin;
  }
  return {};
}

[[noreturn]] void fail(const QString& what) { throw std::runtime_error(what.toStdString()); }

}  // namespace

QString PostgresServer::unavailable() {
  if (::geteuid() != 0)
    return QStringLiteral("the tests start PostgreSQL as the postgres user: run them as root");
  if (!::getpwnam("postgres")) return QStringLiteral("no postgres user: install Debian's postgresql");
  if (postgresBin().isEmpty()) return QStringLiteral("no initdb: install Debian's postgresql");
  if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
    return QStringLiteral("no QPSQL driver: install libqt6sql6-psql");
  return {};
}

PostgresServer::PostgresServer(const QStringList& offices) : bin_(postgresBin()) {
  if (const QString why = unavailable(); !why.isEmpty()) fail(why);
  const passwd* postgres = ::getpwnam("postgres");
  const QByteArray pattern = QDir::temp().filePath(QStringLiteral("quenby-pg-XXXXXX")).toLocal8Bit();
  QByteArray made = pattern;
  if (!::mkdtemp(made.data())) fail(QStringLiteral("mkdtemp failed"));
  folder_ = QString::fromLocal8Bit(made);
  if (::chown(made.constData(), postgres->pw_uid, postgres->pw_gid) != 0 ||
      ::chmod(made.constData(), 0700) != 0)
    fail(QStringLiteral("cannot hand %1 to postgres").arg(folder_));

  // The guardian: when this process ends in any way, the pipe's last writer is gone and it stops
  // the server and removes the folder.
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) fail(QStringLiteral("pipe2 failed"));
  const QByteArray pgCtl = (bin_ + QStringLiteral("/pg_ctl")).toLocal8Bit();
  const QByteArray data = (folder_ + QStringLiteral("/data")).toLocal8Bit();
  const char* script =
      "runuser -u postgres -- \"$1\" stop -D \"$2\" -m immediate >/dev/null 2>&1; rm -rf -- \"$3\"";
  guardian_ = ::fork();
  if (guardian_ == 0) {
    ::close(fds[1]);
    char byte;
    while (::read(fds[0], &byte, 1) != 0) {
    }
    ::execl("/bin/sh", "sh", "-c", script, "sh", pgCtl.constData(), data.constData(), made.constData(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[0]);
  guardianPipe_ = fds[1];

  const QString pwfile = folder_ + QStringLiteral("/pw");
  {
    QFile f(pwfile);
    if (!f.open(QIODevice::WriteOnly) || f.write("postgres\n") < 0)
      fail(QStringLiteral("cannot write %1").arg(pwfile));
  }
  ::chown(QFile::encodeName(pwfile).constData(), postgres->pw_uid, postgres->pw_gid);
  ::chmod(QFile::encodeName(pwfile).constData(), 0600);
  runAsPostgres({bin_ + QStringLiteral("/initdb"), QStringLiteral("-D"), QString::fromLocal8Bit(data),
                 QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("--pwfile=") + pwfile,
                 QStringLiteral("--auth-local=scram-sha-256"), QStringLiteral("--auth-host=reject"),
                 QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8"),
                 QStringLiteral("--no-sync")});
  QFile::remove(pwfile);
  start();
  run(QStringLiteral("CREATE DATABASE quenby"), QStringLiteral("postgres"));
  for (const QString& office : offices) {
    run(QStringLiteral("CREATE ROLE \"%1\" LOGIN PASSWORD '%1'").arg(office));
    run(QStringLiteral("GRANT CONNECT ON DATABASE quenby TO \"%1\"").arg(office));
  }
}

PostgresServer::~PostgresServer() {
  if (guardianPipe_ >= 0) ::close(guardianPipe_);  // the guardian stops the server and removes the folder
  if (guardian_ > 0) ::waitpid(guardian_, nullptr, 0);
}

QString PostgresServer::connection(const QString& role, const QString& database) const {
  return QStringLiteral("host=%1 dbname=%2 user=%3 password=%3").arg(folder_, database, role);
}

void PostgresServer::run(const QString& sql, const QString& database) const {
  const QString name = QStringLiteral("pg-admin-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
  QString error;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setConnectOptions(admin(database));
    if (!db.open()) {
      error = db.lastError().text();
    } else {
      QSqlQuery query(db);
      if (!query.exec(sql)) error = query.lastError().text();
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
  if (!error.isEmpty()) fail(sql + QStringLiteral(": ") + error);
}

void PostgresServer::stop() {
  runAsPostgres({bin_ + QStringLiteral("/pg_ctl"), QStringLiteral("stop"), QStringLiteral("-D"),
                 folder_ + QStringLiteral("/data"), QStringLiteral("-m"), QStringLiteral("fast"),
                 QStringLiteral("-w")});
}

void PostgresServer::start() {
  runAsPostgres(
      {bin_ + QStringLiteral("/pg_ctl"), QStringLiteral("start"), QStringLiteral("-w"), QStringLiteral("-D"),
       folder_ + QStringLiteral("/data"), QStringLiteral("-l"), folder_ + QStringLiteral("/log"),
       QStringLiteral("-o"),
       QStringLiteral("-c listen_addresses='' -c unix_socket_directories='%1' -c fsync=off").arg(folder_)});
}

void PostgresServer::runAsPostgres(const QStringList& command) const {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.setWorkingDirectory(folder_);
  process.start(
      QStringLiteral("runuser"),
      QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--")} + command);
  if (!process.waitForFinished(60'000) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0)
    fail(command.join(QLatin1Char(' ')) + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAll()));
}

}  // namespace quenby::testing

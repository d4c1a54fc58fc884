#pragma once
// A private PostgreSQL server for the tests and benchmarks of the shared ledger: a cluster made
// with initdb as the `postgres` user in a temporary folder of its own (mode 0700), listening on a
// Unix socket in that folder only, with password logins. It holds the database `quenby` and a
// role per office that may connect to it (the test makes the yard's tables and grants the roles
// INSERT and SELECT on them, as the README tells the administrator). The server is stopped and the folder
// removed when the object goes, and also when the process dies in any way: a guardian process waits for it
// and cleans up. Needs root (runuser) and Debian's postgresql package.

#include <sys/types.h>
#include <QString>
#include <QStringList>

namespace quenby::testing {

class PostgresServer {
 public:
  // Starts the server with a role for each of `offices`; throws std::runtime_error saying why not.
  explicit PostgresServer(const QStringList& offices);
  ~PostgresServer();
  PostgresServer(const PostgresServer&) = delete;
  PostgresServer& operator=(const PostgresServer&) = delete;

  // Why no server can be started here (not root, no PostgreSQL), empty when one can.
  static QString unavailable();

  // A libpq connection string for `role` (its password is the role's name) on `database`.
  QString connection(const QString& role, const QString& database = QStringLiteral("quenby")) const;
  QString admin(const QString& database = QStringLiteral("quenby")) const {
    return connection(QStringLiteral("postgres"), database);
  }
  // Runs `sql` as the superuser on `database`; throws std::runtime_error on a failure.
  void run(const QString& sql, const QString& database = QStringLiteral("quenby")) const;
  // Stops the server (fast: sessions are ended) and starts it again.
  void stop();
  void start();

 private:
  void runAsPostgres(const QStringList& command) const;
  QString folder_;
  QString bin_;
  pid_t guardian_ = -1;
  int guardianPipe_ = -1;
};

}  // namespace quenby::testing

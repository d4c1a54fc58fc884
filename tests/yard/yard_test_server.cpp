// A private PostgreSQL server for a test of the real program: starts one with a role for each
// office named on the command line, makes the yard's tables and grants each role INSERT and SELECT
// as the README tells the administrator, prints the libpq connection string without a role or a
// password (the tests put those in each home's settings and ~/.pgpass), and keeps the server until
// its standard input closes. Prints "unavailable: <why>" and exits 77 where no server can start.
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <iostream>
#include <string>

#include "support/postgres_server.h"
#include "yard/server.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList offices = app.arguments().mid(1);
  if (const QString why = quenby::testing::PostgresServer::unavailable(); !why.isEmpty()) {
    std::printf("unavailable: %s\n", why.toUtf8().constData());
    return 77;
  }
  try {
    quenby::testing::PostgresServer server(offices);
    { quenby::yard::Server(server.admin()).setUp(); }
    const QString roles =
        QStringLiteral("\"") + offices.join(QStringLiteral("\", \"")) + QStringLiteral("\"");
    server.run(QStringLiteral("GRANT SELECT, INSERT ON quenby_entries TO ") + roles);
    server.run(QStringLiteral("GRANT SELECT ON quenby_schema TO ") + roles);
    // The admin's string names the socket's folder and the database, then the superuser.
    const QString admin = server.admin();
    std::printf("%s\n", admin.left(admin.indexOf(QStringLiteral(" user="))).toUtf8().constData());
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
    }
  } catch (const std::exception& e) {
    std::printf("failed: %s\n", e.what());
    return 1;
  }
  return 0;
}

#pragma once
// The yard's server: one connection to its PostgreSQL database through Qt SQL's QPSQL driver, on
// the thread that makes it, and what Quenby does there. Its one table, quenby_entries, holds every
// office's records and deletions, each row stamped by the server itself (a trigger): the office is
// the role that inserted it (current_user), and `xid` the inserting transaction's id. Office roles
// need only INSERT and SELECT; a deletion of another role's record is refused.
//
// The fetch never skips a row although transactions commit out of order: it reads, in (xid, seq)
// order, only rows whose transaction id lies below pg_snapshot_xmin(pg_current_snapshot()), the
// lowest transaction still running, so that every transaction it reads from has ended. A row of a
// transaction still running has an xid at or above that limit and is read by a later fetch; a
// cursor of the last (xid, seq) read is thus a position below which nothing can appear any more.

#include <QString>
#include <memory>
#include <stdexcept>
#include <vector>

#include "store/travel.h"

namespace quenby::yard {

// The server schema this Quenby makes and knows.
inline constexpr int kServerSchemaVersion = 1;

enum class Failure {
  None,
  Unreachable,   // no connection (the network, the host, the server down, a timeout)
  Refused,       // the server refused the login: a wrong password or an unknown role
  NoDatabase,    // the server has no such database
  NoTables,      // the database has no Quenby tables (quenby --setup-server)
  OlderSchema,   // the server's tables are older than this Quenby's (quenby --setup-server)
  NewerSchema,   // the server's tables were made by a newer Quenby: left alone
  ServerFailed,  // a statement failed on the server (a missing grant, say)
  LocalStore,    // this office's store cannot be read or written
  OtherRole,     // the server role is not this office's name: its records would carry two names
};

class ServerError : public std::runtime_error {
 public:
  ServerError(Failure failure, const QString& reason);
  Failure failure() const { return failure_; }
  const QString& reason() const { return reason_; }

 private:
  Failure failure_;
  QString reason_;
};

class Server {
 public:
  // Connects to `server` (a libpq connection string or service) with short timeouts; throws
  // ServerError.
  explicit Server(const QString& server);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // The version of the server's tables, 0 when there are none.
  int schemaVersion();
  // Throws NoTables, OlderSchema or NewerSchema unless the tables are this Quenby's.
  void checkSchema();
  // Creates or migrates the tables; returns what was done, in words. A newer schema is left alone
  // (NewerSchema). Throws ServerError.
  QString setUp();

  // Sends `entries` in one transaction; entries the server has already are skipped.
  void send(const std::vector<store::TravellingEntry>& entries);

  struct Page {
    std::vector<store::TravellingEntry> entries;
    store::FetchCursor after;  // the cursor after the last entry (the given one when none)
  };
  // Up to `limit` rows after `cursor`, all of ended transactions.
  Page fetch(const store::FetchCursor& cursor, int limit);

  // The role this connection logged in as.
  QString role();

 private:
  QString connection_;
};

// Creates or migrates the server's tables at `server`; prints what it did on standard output and a
// failure on standard error. Returns the program's exit status (0, or 1 on a failure).
int setUpServer(const QString& server);

}  // namespace quenby::yard

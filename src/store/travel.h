#pragma once
// Travel: the local side of the records that travel between the yard's offices, through a
// connection of its own on the calling thread (the yard's sync thread), beside the store's writer.
// What this office has not had acknowledged by the server (its new records and deletions), marked
// sent only once the server committed them; and what was fetched from the server, written together
// with the fetch's cursor in one transaction, so that a kill at any moment loses nothing and doubles
// nothing. Every failure throws SqlError.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "store/records.h"

namespace quenby::store {

// A record or a deletion as it travels: a deletion carries only the record's UUID and office.
struct TravellingEntry {
  bool deletion = false;
  QString uuid;
  QString office;  // as the server says; ignored on the way out (the server sets it)
  qint64 atMs = 0;
  QString sheet;
  int state = 0;
  QByteArray fields;  // packFields' bytes, texts exactly as typed
};

// The server's position after the last row fetched: its transaction id (xid8, as text) and
// sequence number.
struct FetchCursor {
  QString afterXid = QStringLiteral("0");
  qint64 afterSeq = 0;
};

// A page fetched, made ready to be written: each record unpacked and its list's columns computed.
// That work needs no connection, so a page can be prepared on another thread while the page before
// it is written.
struct ReceivedPage {
  struct Record {
    LedgerRecord record;
    RecordColumns columns;
  };
  std::vector<TravellingEntry> entries;
  std::vector<std::optional<Record>>
      records;  // one per entry: nothing for a deletion or an unreadable record
  FetchCursor after;
};
ReceivedPage prepare(std::vector<TravellingEntry> entries, FetchCursor after);

class Travel {
 public:
  // Opens the store at `path`; throws SqlError when it cannot (the store not yet made or migrated).
  explicit Travel(const QString& path);
  ~Travel();
  Travel(const Travel&) = delete;
  Travel& operator=(const Travel&) = delete;

  // Up to `limit` of this office's records not yet acknowledged, oldest first, then its deletions.
  std::vector<TravellingEntry> unsent(int limit) const;
  // The server committed `sent`: they are no longer to send.
  void markSent(const std::vector<TravellingEntry>& sent);
  // How many records and deletions wait to be sent.
  qint64 pending() const;

  FetchCursor cursor() const;
  // Writes the fetched entries and the cursor after them in one transaction. A record already here
  // is left alone; a deletion removes the record of its UUID only when it is of the deletion's
  // office. Returns whether the ledger changed.
  bool receive(const std::vector<TravellingEntry>& fetched, const FetchCursor& after);
  bool receive(const ReceivedPage& page);
  // Copies what the log holds into the database as far as no reader holds it back. The pages of a
  // fetch are written with checkpoints far apart (database.h); one at the fetch's end keeps the
  // next small write from meeting all of them at once.
  void checkpoint();

 private:
  QString connection_;
};

}  // namespace quenby::store

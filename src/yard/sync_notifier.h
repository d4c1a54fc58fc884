#pragma once
// SyncNotifier: the shared ledger's thread (Sync) as the windows see it, a QObject of the UI
// thread whose signals arrive there as queued calls: the status line changed, records came from
// other offices (an open ledger reads again). The program makes one when a server is set.

#include <QObject>
#include <QString>
#include <memory>

#include "yard/sync.h"

namespace quenby::yard {

class SyncNotifier : public QObject {
  Q_OBJECT

 public:
  // Starts the sync of the store at `storePath` with `server` (a libpq connection string), for
  // the office `office`.
  SyncNotifier(const QString& server, const QString& storePath, const QString& office,
               QObject* parent = nullptr);
  // Ends the sync within a second; no signal comes after.
  ~SyncNotifier() override;

  // Sends what was written at once: callable from any thread (the store's writer calls it).
  void wake();
  SyncStatus status() const;
  QString statusLine() const;  // statusLine(status())

 signals:
  void statusChanged(const QString& line);
  void recordsFetched();

 private:
  std::unique_ptr<Sync> sync_;
};

}  // namespace quenby::yard

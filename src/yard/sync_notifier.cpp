#include "yard/sync_notifier.h"

#include <QMetaObject>

namespace quenby::yard {

SyncNotifier::SyncNotifier(const QString& server, const QString& storePath, const QString& office,
                           QObject* parent)
    : QObject(parent) {
  SyncEvents events;
  events.statusChanged = [this](const SyncStatus& status) {
    QMetaObject::invokeMethod(
        this, [this, line = yard::statusLine(status)] { emit statusChanged(line); }, Qt::QueuedConnection);
  };
  events.recordsFetched = [this] {
    QMetaObject::invokeMethod(
        this, [this] { emit recordsFetched(); }, Qt::QueuedConnection);
  };
  sync_ = std::make_unique<Sync>(server, storePath, office, std::move(events));
}

SyncNotifier::~SyncNotifier() = default;

void SyncNotifier::wake() { sync_->wake(); }

SyncStatus SyncNotifier::status() const { return sync_->status(); }

QString SyncNotifier::statusLine() const { return yard::statusLine(status()); }

}  // namespace quenby::yard

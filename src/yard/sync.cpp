#include "yard/sync.h"

#include <future>
#include <thread>

#include "store/sql.h"
#include "store/travel.h"
#include "threads/handoff.h"

namespace quenby::yard {

QString statusLine(const SyncStatus& status) {
  if (status.failure == Failure::None) {
    if (!status.lastSynced) return QStringLiteral("正在连接服务器…");
    return QStringLiteral("已同步 ") + status.lastSynced->toLocalTime().toString(QStringLiteral("HH:mm"));
  }
  const QString why = status.reason.isEmpty() ? QString() : QStringLiteral("（%1）").arg(status.reason);
  QString cause;
  switch (status.failure) {
    case Failure::None:
    case Failure::Unreachable:
      cause = QStringLiteral("无法连接服务器") + why;
      break;
    case Failure::Refused:
      cause = QStringLiteral("服务器拒绝登录，请检查密码和角色") + why;
      break;
    case Failure::NoDatabase:
      cause = QStringLiteral("服务器上没有这个数据库") + why;
      break;
    case Failure::NoTables:
      cause = QStringLiteral("服务器上还没有 Quenby 的表，请管理员运行 quenby --setup-server");
      break;
    case Failure::OlderSchema:
      cause = QStringLiteral("服务器上的表版本较旧，请管理员运行 quenby --setup-server") + why;
      break;
    case Failure::NewerSchema:
      cause = QStringLiteral("服务器上的表由较新版本的 Quenby 建立，请升级本程序") + why;
      break;
    case Failure::ServerFailed:
      cause = QStringLiteral("服务器拒绝了上传") + why;
      break;
    case Failure::LocalStore:
      cause = QStringLiteral("无法读写本机的账单记录") + why;
      break;
    case Failure::OtherRole:
      cause =
          QStringLiteral("登录服务器的角色与本机的办公室名称不同，请在设置 [yard] 中写 office=角色名") + why;
      break;
  }
  if (status.pending == 0) return QStringLiteral("未同步：") + cause;
  return QStringLiteral("%1 条账单待上传：").arg(status.pending) + cause;
}

struct Sync::Shared {
  Shared(QString server, QString storePath, QString office, SyncEvents events, SyncTiming timing)
      : server(std::move(server)),
        storePath(std::move(storePath)),
        office(std::move(office)),
        events(std::move(events)),
        timing(timing) {}

  const QString server;
  const QString storePath;
  const QString office;
  const SyncEvents events;
  const SyncTiming timing;

  Handoff handoff;  // guards what follows
  bool stopping = false;
  bool woken = false;
  bool ended = false;
  SyncStatus status;

  // Events run under this lock, and never once the Sync is gone.
  std::mutex eventsMutex;
  bool eventsOff = false;

  void tell(const std::function<void()>& event) {
    const std::lock_guard lock(eventsMutex);
    if (!eventsOff && event) event();
  }
  bool stopped() {
    const Handoff::Lock lock = handoff.lock();
    return stopping;
  }
};

namespace {

// Told again only when the line would change (the time shown is to the minute) or the count.
bool sameStatus(const SyncStatus& a, const SyncStatus& b) {
  return a.pending == b.pending && statusLine(a) == statusLine(b);
}

// The thread's own: the store's and the server's connections, made when first needed and made
// again after a failure.
struct Connections {
  std::unique_ptr<store::Travel> travel;
  std::unique_ptr<Server> server;
};

// One round: everything unsent sent, everything new fetched. Returns the status after it and
// whether the ledger changed.
SyncStatus round(Sync::Shared& shared, Connections& c, SyncStatus status, bool& fetched) {
  try {
    if (!c.travel) c.travel = std::make_unique<store::Travel>(shared.storePath);
    status.pending = c.travel->pending();
    if (!c.server) {
      auto server = std::make_unique<Server>(shared.server);
      server->checkSchema();
      const QString role = server->role();
      if (role != shared.office)
        throw ServerError(Failure::OtherRole, QStringLiteral("角色 %1，办公室 %2").arg(role, shared.office));
      c.server = std::move(server);
    }
    for (;;) {
      const std::vector<store::TravellingEntry> batch = c.travel->unsent(shared.timing.batch);
      if (batch.empty() || shared.stopped()) break;
      c.server->send(batch);
      shared.tell([&] {
        if (shared.events.afterServerCommit) shared.events.afterServerCommit();
      });
      c.travel->markSent(batch);
    }
    // Each page is prepared on a thread of its own while the page before it is written, and the
    // page after it is fetched meanwhile.
    const int pageSize = shared.timing.page;
    Server::Page page = c.server->fetch(c.travel->cursor(), pageSize);
    bool more = static_cast<int>(page.entries.size()) == pageSize;
    std::future<store::ReceivedPage> ready;
    if (!page.entries.empty())
      ready = std::async(std::launch::async, store::prepare, std::move(page.entries), page.after);
    while (ready.valid()) {
      Server::Page next;
      if (more && !shared.stopped()) next = c.server->fetch(page.after, pageSize);
      const store::ReceivedPage prepared = ready.get();
      more = static_cast<int>(next.entries.size()) == pageSize;
      page.after = next.after;
      if (!next.entries.empty())
        ready = std::async(std::launch::async, store::prepare, std::move(next.entries), next.after);
      fetched = c.travel->receive(prepared) || fetched;
    }
    if (fetched) c.travel->checkpoint();
    return {QDateTime::currentDateTimeUtc(), c.travel->pending(), Failure::None, {}};
  } catch (const ServerError& e) {
    c.server.reset();
    status.failure = e.failure();
    status.reason = e.reason();
  } catch (const store::SqlError& e) {
    c.travel.reset();
    status.failure = Failure::LocalStore;
    status.reason = e.reason();
  }
  return status;
}

void run(const std::shared_ptr<Sync::Shared>& shared) {
  {
    Connections connections;
    std::chrono::milliseconds pause = shared->timing.firstRetry;
    SyncStatus status;
    for (;;) {
      bool fetched = false;
      const SyncStatus now = round(*shared, connections, status, fetched);
      const bool ok = now.failure == Failure::None;
      const bool changed = !sameStatus(now, status);
      status = now;
      shared->handoff.change([&] { shared->status = now; });
      if (fetched) shared->tell(shared->events.recordsFetched);
      if (changed && shared->events.statusChanged) shared->tell([&] { shared->events.statusChanged(now); });

      Handoff::Lock lock = shared->handoff.lock();
      const auto wait = ok ? shared->timing.poll : pause;
      pause = ok ? shared->timing.firstRetry : std::min(pause * 2, shared->timing.longestRetry);
      shared->handoff.waitFor(lock, wait, [&] { return shared->stopping || (ok && shared->woken); });
      shared->woken = false;
      if (shared->stopping) break;
    }
  }
  shared->handoff.change([&] { shared->ended = true; });
}

}  // namespace

Sync::Sync(QString server, QString storePath, QString office, SyncEvents events, SyncTiming timing)
    : shared_(std::make_shared<Shared>(std::move(server), std::move(storePath), std::move(office),
                                       std::move(events), timing)) {
  std::thread([shared = shared_] { run(shared); }).detach();
}

Sync::~Sync() {
  shared_->handoff.change([&] { shared_->stopping = true; });
  {
    Handoff::Lock lock = shared_->handoff.lock();
    shared_->handoff.waitFor(lock, shared_->timing.exitWait, [&] { return shared_->ended; });
  }
  const std::lock_guard lock(shared_->eventsMutex);
  shared_->eventsOff = true;
}

void Sync::wake() {
  shared_->handoff.change([&] { shared_->woken = true; });
}

SyncStatus Sync::status() const {
  const Handoff::Lock lock = shared_->handoff.lock();
  return shared_->status;
}

}  // namespace quenby::yard

// The shared ledger on a real PostgreSQL server with two offices, office_a and office_b, each a
// store of its own: records made with and without the server arrive in both once; a server
// stopped during a send and a sender killed between the server's commit and its own mark lose and
// double nothing; deletions travel and only the office's own; texts arrive as typed; a wrong
// password, a missing database and a newer server schema are told; the fetch skips no row of
// transactions that commit out of order.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <chrono>
#include <future>
#include <map>
#include <set>
#include <thread>
#include <tuple>

#include "../store/sample.h"
#include "store/ledger.h"
#include "store/office.h"
#include "store/store.h"
#include "store/store_error.h"
#include "store/travel.h"
#include "support/postgres_server.h"
#include "yard/server.h"
#include "yard/sync.h"

namespace quenby::yard::testing {
namespace {

using quenby::testing::PostgresServer;
using store::Ledger;
using store::LedgerRecord;
using store::LedgerRow;
using store::Store;
using namespace std::chrono_literals;

const QString kA = QStringLiteral("office_a");
const QString kB = QStringLiteral("office_b");

// A raw connection to the server, for what no office's Quenby would do.
class Raw {
 public:
  explicit Raw(const QString& connection)
      : name_(QStringLiteral("raw-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
    db.setConnectOptions(connection);
    EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
  }
  ~Raw() {
    QSqlDatabase::database(name_, false).close();
    QSqlDatabase::removeDatabase(name_);
  }
  // Runs `sql`; the error's text, empty on success.
  QString exec(const QString& sql) {
    QSqlQuery query(QSqlDatabase::database(name_, false));
    return query.exec(sql) ? QString() : query.lastError().databaseText();
  }
  QVariant scalar(const QString& sql) {
    QSqlQuery query(QSqlDatabase::database(name_, false));
    if (!query.exec(sql) || !query.next()) return {};
    return query.value(0);
  }

 private:
  QString name_;
};

bool eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = 15s) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

class YardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const QString why = PostgresServer::unavailable(); !why.isEmpty()) GTEST_SKIP() << why.toStdString();
    server_ = std::make_unique<PostgresServer>(QStringList{kA, kB});
    { Server(server_->admin()).setUp(); }
    // The README's grants.
    server_->run(QStringLiteral("GRANT SELECT, INSERT ON quenby_entries TO office_a, office_b"));
    server_->run(QStringLiteral("GRANT SELECT ON quenby_schema TO office_a, office_b"));
  }

  QString storeOf(const QString& office) const {
    return dir_.filePath(office + QStringLiteral("/quenby.sqlite"));
  }

  // A sawn-timber record whose buyer is `tag`, made in `office`'s store.
  void make(Store& store, const QString& office, const std::u16string& tag) {
    store::setThisOffice(office);
    store.record(store::testing::record(store::kSawnTimber, 1, {{"Text10", -1, tag}}));
  }

  std::unique_ptr<Sync> sync(const QString& office, SyncEvents events = {}, int batch = 200,
                             int page = 2000) {
    SyncTiming timing;
    timing.poll = 100ms;
    timing.firstRetry = 100ms;
    timing.longestRetry = 400ms;
    timing.batch = batch;
    timing.page = page;
    return std::make_unique<Sync>(server_->connection(office), storeOf(office), office, std::move(events),
                                  timing);
  }

  // Every record of `office`'s ledger: its buyer's text and its office.
  std::multimap<QString, QString> ledgerOf(const QString& office) const {
    const Ledger ledger(storeOf(office));
    std::multimap<QString, QString> rows;
    for (const LedgerRow& row : ledger.rows({}, {}, ledger.lastId(), 0, 100'000))
      rows.emplace(row.buyer.text, row.office);
    return rows;
  }

  qint64 onServer(const QString& where = QStringLiteral("true")) const {
    Raw raw(server_->admin());
    return raw.scalar(QStringLiteral("SELECT COUNT(*) FROM quenby_entries WHERE ") + where).toLongLong();
  }

  std::unique_ptr<PostgresServer> server_;
  QTemporaryDir dir_;
};

using Rows = std::multimap<QString, QString>;

// Catches: a record made while the office is off the server never sent, one never fetched, one
// fetched twice (a cursor that reads again), an office's own records coming back as doubles.
TEST_F(YardTest, RecordsMadeInEitherOfficeWithAndWithoutTheServerArriveInBothOnce) {
  Store a(storeOf(kA));
  Store b(storeOf(kB));
  make(a, kA, u"a1");  // no sync running yet
  make(b, kB, u"b1");
  {
    auto syncA = sync(kA);
    auto syncB = sync(kB);
    make(a, kA, u"a2");
    make(b, kB, u"b2");
    server_->stop();
    make(a, kA, u"a3");  // the server down
    ASSERT_TRUE(eventually([&] { return syncA->status().failure == Failure::Unreachable; }));
    EXPECT_TRUE(statusLine(syncA->status()).contains(QStringLiteral("无法连接服务器")))
        << statusLine(syncA->status()).toStdString();
    server_->start();
    const Rows all{{"a1", kA}, {"a2", kA}, {"a3", kA}, {"b1", kB}, {"b2", kB}};
    ASSERT_TRUE(eventually([&] { return ledgerOf(kA) == all && ledgerOf(kB) == all; }));
    ASSERT_TRUE(
        eventually([&] { return syncA->status().pending == 0 && syncB->status().failure == Failure::None; }));
    EXPECT_TRUE(statusLine(syncA->status()).startsWith(QStringLiteral("已同步 ")))
        << statusLine(syncA->status()).toStdString();
  }
  make(b, kB, u"b3");  // sync off
  {
    auto syncA = sync(kA);
    auto syncB = sync(kB);
    const Rows all{{"a1", kA}, {"a2", kA}, {"a3", kA}, {"b1", kB}, {"b2", kB}, {"b3", kB}};
    ASSERT_TRUE(eventually([&] { return ledgerOf(kA) == all && ledgerOf(kB) == all; }));
    std::this_thread::sleep_for(500ms);  // rounds more: nothing comes twice
    EXPECT_EQ(ledgerOf(kA), all);
    EXPECT_EQ(ledgerOf(kB), all);
  }
  EXPECT_EQ(onServer(), 6);
  const Ledger ledger(storeOf(kA));
  EXPECT_EQ(ledger.offices(), (std::vector<QString>{kA, kB}));
  store::Filter theirs;
  theirs.office = kB;
  std::set<QString> buyers;
  for (const LedgerRow& row : ledger.rows(theirs, {}, ledger.lastId(), 0, 10)) buyers.insert(row.buyer.text);
  EXPECT_EQ(buyers, (std::set<QString>{"b1", "b2", "b3"}));
}

// Catches: a batch marked sent although its transaction did not commit, a sync that gives up or
// spins on a server that goes away in the middle of a send.
TEST_F(YardTest, TheServerStoppedAndStartedDuringASendLosesAndDoublesNothing) {
  Store a(storeOf(kA));
  constexpr int kCount = 300;
  for (int i = 0; i < kCount; ++i) make(a, kA, u"r" + std::u16string(QString::number(i).toStdU16String()));
  std::promise<void> firstCommit;
  std::atomic<bool> told{false};
  SyncEvents events;
  events.afterServerCommit = [&] {
    if (!told.exchange(true)) firstCommit.set_value();
  };
  auto syncA = sync(kA, std::move(events), 10);
  ASSERT_EQ(firstCommit.get_future().wait_for(15s), std::future_status::ready);
  server_->stop();
  server_->start();
  ASSERT_TRUE(
      eventually([&] { return syncA->status().pending == 0 && syncA->status().failure == Failure::None; }));
  EXPECT_EQ(onServer(), kCount);
  EXPECT_EQ(onServer(QStringLiteral("office = 'office_a'")), kCount);
  Store b(storeOf(kB));
  ASSERT_TRUE(b.isOpen());
  auto syncB = sync(kB, {}, 200, 7);  // many pages, the last one short
  ASSERT_TRUE(eventually([&] { return ledgerOf(kB).size() == kCount; }));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(ledgerOf(kB).size(), kCount);
  EXPECT_EQ(ledgerOf(kA).size(), kCount);
}

// Catches: a batch marked sent before the server's commit (lost on a kill), and one sent again
// after a kill that the server keeps twice.
TEST_F(YardTest, ASendKilledBetweenTheServersCommitAndTheLocalMarkLosesAndDoublesNothing) {
  {
    Store a(storeOf(kA));
    for (const char16_t* tag : {u"k1", u"k2", u"k3"}) make(a, kA, tag);
  }
  QProcess driver;
  driver.start(QStringLiteral(YARD_DRIVER), {server_->connection(kA), storeOf(kA), kA});
  ASSERT_TRUE(driver.waitForFinished(20'000));
  EXPECT_EQ(driver.exitStatus(), QProcess::CrashExit);
  EXPECT_TRUE(driver.readAllStandardOutput().contains("committed"));
  EXPECT_EQ(onServer(), 3);
  EXPECT_EQ(store::Travel(storeOf(kA)).pending(), 3);  // committed there, not yet marked here

  auto syncA = sync(kA);
  ASSERT_TRUE(eventually([&] { return syncA->status().pending == 0 && syncA->status().lastSynced; }));
  EXPECT_EQ(onServer(), 3);
  Store b(storeOf(kB));
  ASSERT_TRUE(b.isOpen());
  auto syncB = sync(kB);
  const Rows all{{"k1", kA}, {"k2", kA}, {"k3", kA}};
  ASSERT_TRUE(eventually([&] { return ledgerOf(kB) == all; }));
  EXPECT_EQ(ledgerOf(kA), all);
}

// Catches: a deletion that stays local, another office's record deleted here or through the
// server (a forged deletion), a row whose office is taken from the sender's row.
TEST_F(YardTest, ADeletionTravelsAndOnlyTheOfficesOwnRecordsCanBeDeleted) {
  Store a(storeOf(kA));
  Store b(storeOf(kB));
  make(a, kA, u"kept");
  make(a, kA, u"gone");
  make(b, kB, u"theirs");
  auto syncA = sync(kA);
  auto syncB = sync(kB);
  const Rows all{{"gone", kA}, {"kept", kA}, {"theirs", kB}};
  ASSERT_TRUE(eventually([&] { return ledgerOf(kA) == all && ledgerOf(kB) == all; }));

  const auto idOf = [&](const QString& office, const QString& buyer) {
    const Ledger ledger(storeOf(office));
    for (const LedgerRow& row : ledger.rows({}, {}, ledger.lastId(), 0, 100))
      if (row.buyer.text == buyer) return row.id;
    return qint64{0};
  };
  {
    store::setThisOffice(kB);
    Ledger ledger(storeOf(kB));
    try {
      ledger.remove(idOf(kB, QStringLiteral("gone")));
      ADD_FAILURE() << "office_b deleted a record of office_a";
    } catch (const QuenbyError& e) {
      EXPECT_EQ(e.number(), static_cast<int>(store::StoreError::RecordOfAnotherOffice));
      EXPECT_NE(e.description().find("office_a"), std::string::npos) << e.description();
    }
  }
  {
    store::setThisOffice(kA);
    Ledger ledger(storeOf(kA));
    ledger.remove(idOf(kA, QStringLiteral("gone")));
  }
  const Rows left{{"kept", kA}, {"theirs", kB}};
  ASSERT_TRUE(eventually([&] { return ledgerOf(kB) == left; }));
  EXPECT_EQ(ledgerOf(kA), left);

  Raw forger(server_->connection(kB));
  const QString kept = Raw(server_->admin())
                           .scalar(QStringLiteral("SELECT uuid::text FROM quenby_entries r WHERE NOT deletion"
                                                  " AND office = 'office_a' AND NOT EXISTS (SELECT 1 FROM"
                                                  " quenby_entries d WHERE d.deletion AND d.uuid = r.uuid)"))
                           .toString();
  ASSERT_FALSE(kept.isEmpty());
  EXPECT_FALSE(
      forger.exec(QStringLiteral("INSERT INTO quenby_entries (deletion, uuid) VALUES (true, '%1')").arg(kept))
          .isEmpty());
  EXPECT_FALSE(forger.exec(QStringLiteral("DELETE FROM quenby_entries")).isEmpty());
  // A record sent in another office's name is the sender's.
  EXPECT_EQ(forger.exec(QStringLiteral(
                "INSERT INTO quenby_entries (deletion, uuid, office, at_ms, sheet, state, fields)"
                " VALUES (false, gen_random_uuid(), 'office_a', 1, 'sawn', 0, '\\x00')")),
            QString());
  EXPECT_EQ(onServer(QStringLiteral("office = 'office_b' AND NOT deletion")), 2);
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(ledgerOf(kA).count(QStringLiteral("kept")), 1u);
}

// Catches: texts changed on the way (a lone surrogate replaced, quotes or backslashes escaped
// twice, LIKE's wildcards taken as such, a long text cut).
TEST_F(YardTest, TextsArriveExactlyAsTyped) {
  const std::vector<std::u16string> texts = {
      u"O'Brien \"quoted\" ''",
      u"100% _under_ \\back\\slash\\ \\x00",
      std::u16string(u"lone \xD800 high and \xDC00 low", 24),
      std::u16string(32'767, u'林'),
  };
  {
    Store a(storeOf(kA));
    store::setThisOffice(kA);
    for (const std::u16string& text : texts)
      a.record(store::testing::record(store::kSawnTimber, 7, {{"Text10", -1, text}, {"Text13", 2, text}}));
  }
  Store b(storeOf(kB));
  ASSERT_TRUE(b.isOpen());
  auto syncA = sync(kA);
  auto syncB = sync(kB);
  ASSERT_TRUE(eventually([&] { return ledgerOf(kB).size() == texts.size(); }));
  const Ledger ledger(storeOf(kB));
  std::vector<std::u16string> arrived;
  for (const LedgerRow& row : ledger.rows({}, {}, ledger.lastId(), 0, 100)) {
    const LedgerRecord record = ledger.record(row.id);
    ASSERT_EQ(record.sheet.fields.size(), 2u);
    EXPECT_EQ(record.sheet.fields[0].text, record.sheet.fields[1].text);
    EXPECT_EQ(record.atMs, 7);
    arrived.push_back(record.sheet.fields[0].text);
  }
  std::sort(arrived.begin(), arrived.end());
  std::vector<std::u16string> typed = texts;
  std::sort(typed.begin(), typed.end());
  EXPECT_EQ(arrived, typed);
}

// Catches: a failure told as another (every one as "cannot connect"), a sync that stops the
// local ledger.
TEST_F(YardTest, AWrongPasswordAMissingDatabaseAndANewerSchemaAreToldAndTheLedgerWorksOn) {
  struct Row {
    const char* what;
    QString connection;
    Failure failure;
    const char* told;
  };
  server_->run(QStringLiteral("CREATE DATABASE newer"), QStringLiteral("postgres"));
  { Server(server_->admin(QStringLiteral("newer"))).setUp(); }
  server_->run(QStringLiteral("GRANT SELECT ON quenby_schema TO office_a"), QStringLiteral("newer"));
  server_->run(QStringLiteral("UPDATE quenby_schema SET version = 99"), QStringLiteral("newer"));
  const Row rows[] = {
      {"a wrong password", server_->connection(kA) + QStringLiteral(" password=wrong"), Failure::Refused,
       "密码"},
      {"a missing database", server_->connection(kA, QStringLiteral("nowhere")), Failure::NoDatabase,
       "没有这个数据库"},
      {"a newer schema", server_->connection(kA, QStringLiteral("newer")), Failure::NewerSchema, "较新版本"},
  };
  Store a(storeOf(kA));
  for (const Row& row : rows) {
    SyncTiming timing;
    timing.firstRetry = 100ms;
    make(a, kA, u"offline");
    Sync s(row.connection, storeOf(kA), kA, {}, timing);
    ASSERT_TRUE(eventually([&] { return s.status().failure != Failure::None; })) << row.what;
    EXPECT_EQ(s.status().failure, row.failure) << row.what << ": " << s.status().reason.toStdString();
    const QString line = statusLine(s.status());
    EXPECT_TRUE(line.contains(QString::fromUtf8(row.told))) << row.what << ": " << line.toStdString();
    EXPECT_TRUE(line.contains(QStringLiteral("条账单待上传"))) << row.what << ": " << line.toStdString();
  }
  EXPECT_EQ(ledgerOf(kA).size(), 3u);  // recorded all along
  EXPECT_EQ(store::Travel(storeOf(kA)).pending(), 3);
}

// Catches: quenby --setup-server that does not make the tables, makes them twice, or changes the
// tables of a newer Quenby.
TEST_F(YardTest, SetupServerMakesTheTablesOnceAndLeavesANewerSchemaAlone) {
#ifndef QUENBY_PROGRAM
  GTEST_SKIP() << "the program is not built";
#else
  server_->run(QStringLiteral("CREATE DATABASE fresh"), QStringLiteral("postgres"));
  const auto setUp = [&] {
    QProcess quenby;
    quenby.start(QStringLiteral(QUENBY_PROGRAM),
                 {QStringLiteral("--setup-server"), server_->admin(QStringLiteral("fresh"))});
    EXPECT_TRUE(quenby.waitForFinished(30'000));
    return std::tuple{quenby.exitCode(), QString::fromUtf8(quenby.readAllStandardOutput()),
                      QString::fromUtf8(quenby.readAllStandardError())};
  };
  const auto [made, madeOut, madeErr] = setUp();
  EXPECT_EQ(made, 0) << madeErr.toStdString();
  EXPECT_TRUE(madeOut.contains(QStringLiteral("升级到版本 1"))) << madeOut.toStdString();
  const auto [again, againOut, againErr] = setUp();
  EXPECT_EQ(again, 0) << againErr.toStdString();
  EXPECT_TRUE(againOut.contains(QStringLiteral("无需改动"))) << againOut.toStdString();
  server_->run(QStringLiteral("UPDATE quenby_schema SET version = 99"), QStringLiteral("fresh"));
  const auto [newer, newerOut, newerErr] = setUp();
  EXPECT_EQ(newer, 1);
  EXPECT_TRUE(newerErr.contains(QStringLiteral("较新版本"))) << newerErr.toStdString();
  Raw admin(server_->admin(QStringLiteral("fresh")));
  EXPECT_EQ(admin.scalar(QStringLiteral("SELECT version FROM quenby_schema")).toInt(), 99);
  EXPECT_EQ(admin.scalar(QStringLiteral("SELECT COUNT(*) FROM quenby_schema")).toInt(), 1);
#endif
}

// Catches: a fetch that reads past rows of a transaction still running, which loses the rows that
// transaction commits later: a cursor of the highest sequence number seen (first row), and one of
// sequence numbers below the oldest running transaction (second row: the transaction with the
// lower id inserts later, with the higher number, and commits first).
TEST_F(YardTest, TheFetchSkipsNoRowOfTransactionsThatCommitOutOfOrder) {
  enum class Step { Begin, TakeId, Insert, Commit, Fetch };
  struct Action {
    int who;  // 0: the transaction that takes its id first, 1: the other; -1: the fetch
    Step step;
  };
  struct Row {
    const char* what;
    std::vector<Action> actions;
  };
  const Row rows[] = {
      {"inserts in order, commits in reverse",
       {{0, Step::Begin},
        {0, Step::Insert},
        {1, Step::Begin},
        {1, Step::Insert},
        {1, Step::Commit},
        {-1, Step::Fetch},
        {0, Step::Commit},
        {-1, Step::Fetch}}},
      {"the later id inserts first, the earlier commits first",
       {{0, Step::Begin},
        {0, Step::TakeId},
        {1, Step::Begin},
        {1, Step::Insert},
        {0, Step::Insert},
        {0, Step::Commit},
        {-1, Step::Fetch},
        {1, Step::Commit},
        {-1, Step::Fetch}}},
  };
  int n = 0;
  for (const Row& row : rows) {
    Server fetcher(server_->connection(kB));
    store::FetchCursor cursor;
    std::set<QString> fetched;
    const auto fetch = [&] {
      const Server::Page page = fetcher.fetch(cursor, 100);
      for (const auto& e : page.entries) fetched.insert(e.uuid);
      cursor = page.after;
    };
    fetch();  // past what earlier rows left
    fetched.clear();
    Raw senders[] = {Raw(server_->connection(kA)), Raw(server_->connection(kA))};
    std::set<QString> sent;
    for (const Action& a : row.actions) {
      if (a.step == Step::Fetch) {
        fetch();
        continue;
      }
      Raw& sender = senders[a.who];
      switch (a.step) {
        case Step::Begin:
          ASSERT_EQ(sender.exec(QStringLiteral("BEGIN")), QString()) << row.what;
          break;
        case Step::TakeId:
          ASSERT_TRUE(sender.scalar(QStringLiteral("SELECT pg_current_xact_id()")).isValid()) << row.what;
          break;
        case Step::Insert: {
          const QString uuid =
              QStringLiteral("00000000-0000-0000-0000-%1").arg(++n, 12, 10, QLatin1Char('0'));
          ASSERT_EQ(
              sender.exec(QStringLiteral("INSERT INTO quenby_entries (deletion, uuid, at_ms, sheet, state, "
                                         "fields) VALUES (false, '%1', 1, 'sawn', 0, '\\x00')")
                              .arg(uuid)),
              QString())
              << row.what;
          sent.insert(uuid);
          break;
        }
        case Step::Commit:
          ASSERT_EQ(sender.exec(QStringLiteral("COMMIT")), QString()) << row.what;
          break;
        case Step::Fetch:
          break;
      }
    }
    EXPECT_EQ(fetched, sent) << row.what;
  }
}

// Catches: pages ordered otherwise than the cursor compares (the transaction ids as text, where
// 1000 comes before 999), which skips the rows between.
TEST_F(YardTest, TheFetchPagesAcrossAChangeOfTheTransactionIdsDigits) {
  Raw sender(server_->connection(kA));
  const qint64 first = sender.scalar(QStringLiteral("SELECT pg_current_xact_id()::text")).toLongLong();
  qint64 boundary = 10;
  while (boundary <= first) boundary *= 10;
  std::set<QString> sent;
  for (qint64 xid = first; xid < boundary + 20; ++xid) {  // one transaction each
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    ASSERT_EQ(
        sender.exec(QStringLiteral("INSERT INTO quenby_entries (deletion, uuid, at_ms, sheet, state, fields)"
                                   " VALUES (false, '%1', 1, 'sawn', 0, '\\x00')")
                        .arg(uuid)),
        QString());
    sent.insert(uuid);
  }
  Server fetcher(server_->connection(kB));
  store::FetchCursor cursor;
  std::set<QString> fetched;
  for (int pages = 0; pages < 1000; ++pages) {
    const Server::Page page = fetcher.fetch(cursor, 7);
    if (page.entries.empty()) break;
    for (const auto& e : page.entries) fetched.insert(e.uuid);
    cursor = page.after;
  }
  EXPECT_EQ(fetched.size(), sent.size());
  EXPECT_TRUE(fetched == sent);
}

// Catches: a connection with no timeout (a server that never answers holds the thread for ever)
// and an end that waits for the thread held by the network.
TEST(YardSilentServer, ASilentServerHoldsTheThreadAFewSecondsAndTheExitNoMoreThanASecond) {
  // Listens but never answers: the kernel completes the handshake, the startup gets no reply.
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 8), 0);
  socklen_t length = sizeof address;
  ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const QString silent =
      QStringLiteral("host=127.0.0.1 port=%1 dbname=quenby user=office_a").arg(ntohs(address.sin_port));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("quenby.sqlite"));
  Store store(path);
  ASSERT_TRUE(store.isOpen());
  {
    Sync sync(silent, path, kA, {});
    ASSERT_TRUE(eventually([&] { return sync.status().failure == Failure::Unreachable; }, 10s))
        << "no timeout on a silent server";
  }
  auto held = std::make_unique<Sync>(silent, path, kA, SyncEvents{});
  std::this_thread::sleep_for(300ms);  // in the connection now
  const auto start = std::chrono::steady_clock::now();
  held.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
  ::close(listener);
}

}  // namespace
}  // namespace quenby::yard::testing

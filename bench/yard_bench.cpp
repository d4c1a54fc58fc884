// The shared ledger on a real PostgreSQL server started here (as root: tests/support/
// postgres_server): a new office's first fetch of one million records sent by ten offices (its
// records a second), and one export's record reaching another office's ledger (from the record
// written in one store to its row in the other's ledger, both syncs running as in the program).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "sawn/sawn_timber_sheet.h"
#include "sheet/calculator_spec.h"
#include "store/ledger.h"
#include "store/office.h"
#include "store/records.h"
#include "store/store.h"
#include "support/postgres_server.h"
#include "support/sheet_keys.h"
#include "yard/server.h"
#include "yard/sync.h"

namespace {

using namespace std::chrono_literals;
using quenby::testing::PostgresServer;

constexpr int kOffices = 10;
// QUENBY_BENCH_EACH records each (100,000 unless it says otherwise).
const int kEach = [] {
  bool given = false;
  const int each = qEnvironmentVariableIntValue("QUENBY_BENCH_EACH", &given);
  return given && each > 0 ? each : 100'000;
}();

QString officeName(int n) { return QStringLiteral("office_%1").arg(n); }

quenby::store::SheetState sawnSheet(const std::u16string& buyer) {
  quenby::SawnTimberSheet sheet;
  sheet.field(quenby::FieldId{"Text10"}).setText(buyer);
  sheet.field(quenby::FieldId{"Text1", 0}).setText(u"4");
  sheet.field(quenby::FieldId{"Text8"}).setText(u"1.2345");
  sheet.field(quenby::FieldId{"Text9"}).setText(u"3000.50");
  return quenby::store::capture(quenby::store::kSawnTimber, sheet);
}

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The server with ten offices' records, made once for the run.
PostgresServer& server() {
  static const std::unique_ptr<PostgresServer> made = [] {
    QStringList roles{QStringLiteral("office_new")};
    for (int n = 0; n < kOffices; ++n) roles << officeName(n);
    auto s = std::make_unique<PostgresServer>(roles);
    { quenby::yard::Server(s->admin()).setUp(); }
    const QString all = QStringLiteral("\"") + roles.join(QStringLiteral("\", \"")) + QStringLiteral("\"");
    s->run(QStringLiteral("GRANT SELECT, INSERT ON quenby_entries TO ") + all);
    s->run(QStringLiteral("GRANT SELECT ON quenby_schema TO ") + all);
    // A thousand buyers, a surname and a given name of twenty each and a number, as a yard's are.
    constexpr std::u16string_view kSurnames = u"王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗";
    constexpr std::u16string_view kGiven = u"建国华明伟芳秀英军平红玲强磊洋勇艳杰娟涛超";
    QStringList buyers;
    for (int b = 0; b < 1000; ++b) {
      const std::u16string buyer = std::u16string{kSurnames[b % 20], kGiven[b / 20 % 20]} + u"木业" +
                                   QString::number(b).toStdU16String();
      buyers << QStringLiteral("'\\x%1'::bytea")
                    .arg(QString::fromLatin1(quenby::store::packFields(sawnSheet(buyer).fields).toHex()));
    }
    for (int n = 0; n < kOffices; ++n)
      s->run(
          QStringLiteral(
              "SET ROLE %1; INSERT INTO quenby_entries (deletion, uuid, at_ms, sheet, state, fields)"
              " SELECT false, gen_random_uuid(), 1600000000000 + g, 'sawn', 0, (ARRAY[%2])[1 + mod(g, 1000)]"
              " FROM generate_series(1, %3) g; RESET ROLE")
              .arg(officeName(n), buyers.join(u','))
              .arg(kEach));
    return s;
  }();
  return *made;
}

qint64 lastId(const QString& path) { return quenby::store::Ledger(path).lastId(); }

void BM_NewOfficesFirstFetch(benchmark::State& state) {
  PostgresServer& s = server();
  for (auto _ : state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quenby.sqlite"));
    quenby::store::Store store(path);
    if (!store.isOpen()) state.SkipWithError("the store did not open");
    const auto start = std::chrono::steady_clock::now();
    quenby::yard::Sync sync(s.connection(QStringLiteral("office_new")), path, QStringLiteral("office_new"),
                            {});
    while (lastId(path) < kOffices * kEach) {
      if (sync.status().failure != quenby::yard::Failure::None)
        state.SkipWithError(sync.status().reason.toStdString().c_str());
      std::this_thread::sleep_for(100ms);
    }
    const double took = seconds(start);
    state.SetIterationTime(took);
    state.counters["records_per_s"] = kOffices * kEach / took;
  }
}
BENCHMARK(BM_NewOfficesFirstFetch)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// As the program wires it: the store's writer wakes the sender's sync once the record is written;
// the receiver's sync fetches in its next round.
void BM_OneExportReachesAnotherOffice(benchmark::State& state) {
  PostgresServer& s = server();
  QTemporaryDir dir;
  const QString from = dir.filePath(QStringLiteral("a/quenby.sqlite"));
  const QString to = dir.filePath(QStringLiteral("b/quenby.sqlite"));
  quenby::store::Store sender(from);
  quenby::store::Store receiver(to);
  if (!sender.isOpen() || !receiver.isOpen()) state.SkipWithError("a store did not open");
  const QString office = officeName(0);
  quenby::store::setThisOffice(office);
  quenby::yard::Sync sending(s.connection(office), from, office, {});
  sender.setRecordsWritten([&sending] { sending.wake(); });
  quenby::yard::Sync receiving(s.connection(officeName(1)), to, officeName(1), {});
  // Past the million records of the first benchmark's offices.
  while (lastId(to) < kOffices * kEach || !receiving.status().lastSynced) std::this_thread::sleep_for(100ms);
  std::vector<double> times;
  int n = 0;
  for (auto _ : state) {
    const qint64 before = lastId(to);
    const auto start = std::chrono::steady_clock::now();
    sender.record({QDateTime::currentMSecsSinceEpoch(), quenby::store::RecordState::Exported,
                   sawnSheet(u"买方" + QString::number(++n).toStdU16String())});
    while (lastId(to) == before) std::this_thread::sleep_for(5ms);
    times.push_back(seconds(start));
    state.SetIterationTime(times.back());
  }
  sender.setRecordsWritten({});
  state.counters["max_s"] = *std::max_element(times.begin(), times.end());
}
BENCHMARK(BM_OneExportReachesAnotherOffice)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  quenby::store::knowCalculators(quenby::calculatorList());
  if (const QString why = PostgresServer::unavailable(); !why.isEmpty()) {
    std::fprintf(stderr, "yard_bench: %s\n", why.toLocal8Bit().constData());
    return 77;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Store benchmarks: what one autosave costs the UI thread (taking a snapshot of a full log tally
// sheet and handing it to the writer), a save written through to the disk, the recovery check
// at start with an empty store and with a run to bring back, and the size of the store after
// 1,000 saves. Every store lives in a temporary folder.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <memory>

#include "logtally/log_tally_sheet.h"
#include "multilength/multi_length_sheet.h"
#include "sawn/sawn_timber_sheet.h"
#include "store/store.h"
#include "support/sheet_keys.h"

namespace {

using quenby::store::Snapshot;
using quenby::store::Store;

// Every field typed, each text too long for a short-string buffer, so each one is copied apart.
template <class Sheet>
void fillEveryField(Sheet& sheet) {
  for (const quenby::NamedField& f : sheet.fields()) f.field->setText(u"12345.6789");
}

struct Sheets {
  quenby::LogTallySheet logTally;
  quenby::MultiLengthSheet multiLength;
  quenby::SawnTimberSheet sawn;
  Sheets() {
    fillEveryField(logTally);
    fillEveryField(multiLength);
    fillEveryField(sawn);
  }
  Snapshot logTallyOnly() const {
    return {{quenby::store::capture(quenby::store::kLogTally, logTally)},
            std::string(quenby::store::kLogTally)};
  }
  Snapshot all() const {
    return {{quenby::store::capture(quenby::store::kLogTally, logTally),
             quenby::store::capture(quenby::store::kMultiLength, multiLength),
             quenby::store::capture(quenby::store::kSawnTimber, sawn)},
            std::string(quenby::store::kLogTally)};
  }
};

QString databaseIn(const QTemporaryDir& dir) { return dir.filePath(QStringLiteral("quenby.sqlite")); }

// The UI thread's part of one autosave: the snapshot taken and handed over; the writer thread
// writes meanwhile, keeping only the newest. A full log tally sheet, and the most an autosave
// ever takes: all three windows, every field typed.
void BM_Save_UiThread(benchmark::State& state, Snapshot (Sheets::*take)() const) {
  QTemporaryDir dir;
  Sheets sheets;
  Store store(databaseIn(dir));
  for (auto _ : state) store.save((sheets.*take)());
  store.flush();
}
BENCHMARK_CAPTURE(BM_Save_UiThread, FullLogTally, &Sheets::logTallyOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Save_UiThread, ThreeFullSheets, &Sheets::all)->Unit(benchmark::kMicrosecond);

// A save written through to the disk (one transaction, synchronous), as before an export.
void BM_SaveAndFlush_ThreeFullSheets(benchmark::State& state) {
  QTemporaryDir dir;
  Sheets sheets;
  Store store(databaseIn(dir));
  for (auto _ : state) {
    store.save(sheets.all());
    store.flush();
  }
}
BENCHMARK(BM_SaveAndFlush_ThreeFullSheets)->Unit(benchmark::kMillisecond);

// The recovery check at start: open the store, take the run's lock, look for a run to bring
// back. The closing of the store is not counted.
template <class Prepare>
void timeStart(benchmark::State& state, const QString& path, Prepare prepare) {
  for (auto _ : state) {
    prepare();
    const auto start = std::chrono::steady_clock::now();
    auto store = std::make_unique<Store>(path);
    benchmark::DoNotOptimize(store->recover());
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}

void BM_Start_NoDatabaseYet(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = databaseIn(dir);
  timeStart(state, path, [&] {
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
      QFile::remove(path + suffix);
  });
}
BENCHMARK(BM_Start_NoDatabaseYet)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Start_EmptyStore(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = databaseIn(dir);
  { Store made(path); }
  timeStart(state, path, [] {});
}
BENCHMARK(BM_Start_EmptyStore)->UseManualTime()->Unit(benchmark::kMillisecond);

// Each start brings back the three full sheets of the run before it, which ended without the
// user's exit (and so leaves them to the next).
void BM_Start_OneRunToRestore(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = databaseIn(dir);
  Sheets sheets;
  { Store(path).save(sheets.all()); }
  timeStart(state, path, [] {});
}
BENCHMARK(BM_Start_OneRunToRestore)->UseManualTime()->Unit(benchmark::kMillisecond);

// 1,000 saves of the three full sheets, each written through; the counters are the bytes of the
// database and its write-ahead log afterwards, while the program still runs and after it ends.
void BM_Bytes_After1000Saves(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = databaseIn(dir);
  Sheets sheets;
  for (auto _ : state) {
    auto store = std::make_unique<Store>(path);
    for (int i = 0; i < 1000; ++i) {
      Snapshot snapshot = sheets.all();
      snapshot.sheets[0].fields[0].text = u"save " + std::u16string(1, static_cast<char16_t>(u'0' + i % 10));
      store->save(std::move(snapshot));
      store->flush();
    }
    state.counters["db_bytes_running"] = static_cast<double>(QFileInfo(path).size());
    state.counters["wal_bytes_running"] =
        static_cast<double>(QFileInfo(path + QStringLiteral("-wal")).size());
    store.reset();
    state.counters["db_bytes_ended"] = static_cast<double>(QFileInfo(path).size());
    state.counters["wal_bytes_ended"] = static_cast<double>(QFileInfo(path + QStringLiteral("-wal")).size());
  }
}
BENCHMARK(BM_Bytes_After1000Saves)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // Qt SQL loads its SQLite driver through it
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

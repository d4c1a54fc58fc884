// Ledger benchmarks on a store of 100,000 records made here (a third of each sheet, every field
// kept as a typed sheet holds it, a buyer of 1,000 a month, four years of days): the ledger
// window opened with its first rows and totals shown; a search and a date range with their rows
// and totals; one export recorded; the drafts of the user's exit; the store's start on it.
// Runs offscreen unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <chrono>
#include <memory>

#include "ledger/ledger_model.h"
#include "ledger/ledger_window.h"
#include "logtally/log_tally_sheet.h"
#include "multilength/multi_length_sheet.h"
#include "sawn/sawn_timber_sheet.h"
#include "sheet/calculator_spec.h"
#include "store/records.h"
#include "store/store.h"
#include "support/sheet_keys.h"

namespace {

using quenby::store::LedgerRecord;
using quenby::store::RecordState;

constexpr int kRecords = 100'000;
const qint64 kFirstDay = QDateTime(QDate(2021, 1, 1), QTime(8, 0)).toMSecsSinceEpoch();

// A typed sheet of each kind, its fields as the sheet holds them: counts in a row, the totals and
// the header fields; "%1" in a text stands for the record's number modulo 1,000.
template <class Sheet>
quenby::store::SheetState typed(std::string_view key,
                                std::initializer_list<std::pair<quenby::FieldId, const char16_t*>> fields) {
  Sheet sheet;
  for (const auto& [id, value] : fields) sheet.field(id).setText(value);
  return quenby::store::capture(key, sheet);
}

LedgerRecord recordNo(int n) {
  static const quenby::store::SheetState kSheets[] = {
      typed<quenby::LogTallySheet>(quenby::store::kLogTally, {{{"Text17"}, u"第%1林场"},
                                                              {{"Text20"}, u"木材公司%1"},
                                                              {{"Text27"}, u"杉木"},
                                                              {{"Text1", 1}, u"12"},
                                                              {{"Text19", 4}, u"12"},
                                                              {{"Text19", 3}, u"0.136"},
                                                              {{"Text19", 2}, u"68.00"}}),
      typed<quenby::MultiLengthSheet>(quenby::store::kMultiLength, {{{"Text27"}, u"买方%1"},
                                                                    {{"Text23"}, u"卖方%1"},
                                                                    {{"Text1", 0}, u"6"},
                                                                    {{"Text22", 5}, u"30"},
                                                                    {{"Text22", 4}, u"2.500"},
                                                                    {{"Text22", 10}, u"1500.00"}}),
      typed<quenby::SawnTimberSheet>(quenby::store::kSawnTimber, {{{"Text10"}, u"新华木业%1"},
                                                                  {{"Text1", 0}, u"4"},
                                                                  {{"Text8"}, u"1.2345"},
                                                                  {{"Text9"}, u"3000.50"}}),
  };
  quenby::store::SheetState sheet = kSheets[n % 3];
  const std::u16string number = QString::number(n % 1000).toStdU16String();
  for (quenby::store::FieldText& f : sheet.fields)
    if (const size_t at = f.text.find(u"%1"); at != std::u16string::npos) f.text.replace(at, 2, number);
  // 72 a day, from 2021 on: about four years.
  return {kFirstDay + static_cast<qint64>(n) * 20 * 60 * 1000,
          n % 3 == 2 ? RecordState::Draft : RecordState::Exported, std::move(sheet)};
}

// The store, made once for every benchmark of the run; kept where QUENBY_BENCH_STORE names a file,
// and made only when that file does not exist yet.
const QString& storePath() {
  static QTemporaryDir dir;
  static const QString path = [] {
    QString p = qEnvironmentVariable("QUENBY_BENCH_STORE");
    if (p.isEmpty()) p = dir.filePath(QStringLiteral("quenby.sqlite"));
    if (QFileInfo::exists(p)) return p;
    std::vector<LedgerRecord> records;
    records.reserve(kRecords);
    for (int n = 0; n < kRecords; ++n) records.push_back(recordNo(n));
    quenby::store::Store(p).markUserExit(records);
    return p;
  }();
  return path;
}

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Until the window has painted once: its first rows and the totals are on the screen.
void painted(QWidget& window) {
  window.repaint();
  QCoreApplication::processEvents();
}

void BM_OpenLedgerWindow(benchmark::State& state) {
  const QString& path = storePath();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    auto window = std::make_unique<quenby::ledger::LedgerWindow>(path);
    window->present();
    painted(*window);
    state.SetIterationTime(seconds(start));
    benchmark::DoNotOptimize(window->totalsText());
  }
  state.counters["db_MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
}
BENCHMARK(BM_OpenLedgerWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

// A search typed into the window's search field and Enter pressed, one that finds 1 in 3,000
// records and one that finds two in three; a date range of one month; each until its rows and totals are
// painted.
enum class FilterKind { RareText, CommonText, OneMonth };

void BM_Filter(benchmark::State& state, FilterKind kind) {
  quenby::ledger::LedgerWindow window(storePath());
  window.present();
  painted(window);
  auto* search = window.findChild<QLineEdit*>();
  auto& model = const_cast<quenby::ledger::LedgerModel&>(window.model());
  int round = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    switch (kind) {
      case FilterKind::RareText:
        search->setText(QStringLiteral("第%1林场").arg(round % 1000));
        emit search->returnPressed();  // read at once, without the pause typing waits for
        break;
      case FilterKind::CommonText:
        search->setText(round % 2 ? QStringLiteral("木") : QStringLiteral("木业"));
        emit search->returnPressed();  // read at once, without the pause typing waits for
        break;
      case FilterKind::OneMonth: {
        const QDate from = QDate(2022, 1 + round % 12, 1);
        model.setFilter(
            {{}, from, from.addMonths(1).addDays(-1), RecordState::Exported, {}});  // as the window asks
        break;
      }
    }
    painted(window);
    state.SetIterationTime(seconds(start));
    ++round;
  }
  state.counters["rows"] = static_cast<double>(model.rowCount());
}
BENCHMARK_CAPTURE(BM_Filter, RareText, FilterKind::RareText)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, CommonText, FilterKind::CommonText)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, OneMonth, FilterKind::OneMonth)->UseManualTime()->Unit(benchmark::kMillisecond);

// What recording adds to an export: one full log tally sheet written through, on the big store.
void BM_RecordOneExport(benchmark::State& state) {
  quenby::store::Store store(storePath());
  const LedgerRecord record = recordNo(0);
  for (auto _ : state) store.record(record);
}
BENCHMARK(BM_RecordOneExport)->Unit(benchmark::kMillisecond);

// The user's exit with a draft of each sheet, against the exit without drafts.
void BM_UserExit(benchmark::State& state, int drafts) {
  std::vector<LedgerRecord> records;
  for (int n = 0; n < drafts; ++n) records.push_back(recordNo(n));
  for (auto _ : state) {
    state.PauseTiming();
    auto store = std::make_unique<quenby::store::Store>(storePath());
    state.ResumeTiming();
    store->markUserExit(records);
    state.PauseTiming();
    store.reset();
    state.ResumeTiming();
  }
}
BENCHMARK_CAPTURE(BM_UserExit, NoDraft, 0)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UserExit, ThreeDrafts, 3)->Iterations(20)->Unit(benchmark::kMillisecond);

// The store's part of a start on this store: open, checks, the recovery look-up.
void BM_StoreStart(benchmark::State& state) {
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    auto store = std::make_unique<quenby::store::Store>(storePath());
    benchmark::DoNotOptimize(store->recover());
    state.SetIterationTime(seconds(start));
  }
}
BENCHMARK(BM_StoreStart)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  quenby::store::knowCalculators(quenby::calculatorList());
  storePath();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

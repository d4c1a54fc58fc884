// Ledger benchmarks on a store made here of 100,000 records, or as many as QUENBY_BENCH_RECORDS
// says (1000000 for a yard's shared ledger): a third of each sheet, every field kept as a typed
// sheet holds it, over four years of days, from ten offices. The offices stand in the seller's
// and buyer's texts (城东货场, 城东木材公司…) until the records carry their office; buyers are
// numbered (第17林场, 1 in 3,000 records) or people's names of 20 surnames. Measured: the ledger
// window opened with its first rows and totals shown; searches of one character (a surname, and
// one that two records in three hold), of two (an office) and of a numbered buyer, and a date
// range, with their rows and totals; one export recorded; the drafts of the user's exit; the
// store's start on it. QUENBY_BENCH_STORE=<file> keeps the store made for the next run (a store
// kept by an older Quenby is brought up to date first, and the time that took is printed).
// Runs offscreen unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QTableView>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <memory>

#include "ledger/ledger_model.h"
#include "ledger/ledger_window.h"
#include "logtally/log_tally_sheet.h"
#include "multilength/multi_length_sheet.h"
#include "sawn/sawn_timber_sheet.h"
#include "sheet/calculator_spec.h"
#include "store/records.h"
#include "store/sql.h"
#include "store/store.h"
#include "support/sheet_keys.h"

namespace {

using quenby::store::LedgerRecord;
using quenby::store::RecordState;

const int kRecords = [] {
  bool ok = false;
  const int n = qEnvironmentVariableIntValue("QUENBY_BENCH_RECORDS", &ok);
  return ok && n > 0 ? n : 100'000;
}();
const qint64 kFirstDay = QDateTime(QDate(2021, 1, 1), QTime(8, 0)).toMSecsSinceEpoch();
const qint64 kFourYearsMs = qint64{4} * 365 * 24 * 3600 * 1000;

const char16_t* const kOffices[] = {u"城东", u"城西", u"南山", u"北岭", u"河口",
                                    u"新桥", u"东关", u"西坪", u"湾头", u"石门"};
constexpr std::u16string_view kSurnames = u"王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗";
constexpr std::u16string_view kGiven = u"建国华明伟芳秀英军平红玲强磊洋勇艳杰娟涛超";

// A person's name of two or three characters, the same for the same n.
std::u16string person(int n) {
  const auto pick = [](std::u16string_view from, unsigned k) { return from[k % from.size()]; };
  const unsigned h = static_cast<unsigned>(n) * 2654435761u;
  std::u16string name{pick(kSurnames, h >> 7), pick(kGiven, h >> 13)};
  if (n % 2) name += pick(kGiven, h >> 19);
  return name;
}

// A typed sheet of each kind, its fields as the sheet holds them: counts in a row, the totals and
// the header fields; in a text "%1" stands for the record's number modulo 1,000, "%O" for its
// office and "%P" for a person's name.
template <class Sheet>
quenby::store::SheetState typed(std::string_view key,
                                std::initializer_list<std::pair<quenby::FieldId, const char16_t*>> fields) {
  Sheet sheet;
  for (const auto& [id, value] : fields) sheet.field(id).setText(value);
  return quenby::store::capture(key, sheet);
}

void put(std::u16string& text, std::u16string_view mark, std::u16string_view value) {
  if (const size_t at = text.find(mark); at != std::u16string::npos) text.replace(at, mark.size(), value);
}

LedgerRecord recordNo(int n) {
  static const quenby::store::SheetState kSheets[] = {
      typed<quenby::LogTallySheet>(quenby::store::kLogTally, {{{"Text17"}, u"第%1林场"},
                                                              {{"Text20"}, u"%O木材公司%1"},
                                                              {{"Text27"}, u"杉木"},
                                                              {{"Text1", 1}, u"12"},
                                                              {{"Text19", 4}, u"12"},
                                                              {{"Text19", 3}, u"0.136"},
                                                              {{"Text19", 2}, u"68.00"}}),
      typed<quenby::MultiLengthSheet>(quenby::store::kMultiLength, {{{"Text27"}, u"%P"},
                                                                    {{"Text23"}, u"%O货场"},
                                                                    {{"Text1", 0}, u"6"},
                                                                    {{"Text22", 5}, u"30"},
                                                                    {{"Text22", 4}, u"2.500"},
                                                                    {{"Text22", 10}, u"1500.00"}}),
      typed<quenby::SawnTimberSheet>(quenby::store::kSawnTimber, {{{"Text10"}, u"新华木业%1"},
                                                                  {{"Text12"}, u"%P"},
                                                                  {{"Text1", 0}, u"4"},
                                                                  {{"Text8"}, u"1.2345"},
                                                                  {{"Text9"}, u"3000.50"}}),
  };
  quenby::store::SheetState sheet = kSheets[n % 3];
  const std::u16string number = QString::number(n % 1000).toStdU16String();
  // The first thirtieth of the records, the oldest, has an old customer of its own.
  const std::u16string who = n < kRecords / 30 ? u"老主顾" : person(n);
  for (quenby::store::FieldText& f : sheet.fields) {
    put(f.text, u"%1", number);
    put(f.text, u"%O", kOffices[n % 10]);
    put(f.text, u"%P", who);
  }
  // Evenly over four years from 2021 on: 72 a day for 100,000 records.
  return {kFirstDay + static_cast<qint64>(n) * kFourYearsMs / kRecords,
          n % 3 == 2 ? RecordState::Draft : RecordState::Exported, std::move(sheet)};
}

// The records written straight into the store the program set up, 20,000 to a transaction.
void fill(const QString& path) {
  { quenby::store::Store store(path); }
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
    db.setDatabaseName(path);
    if (!db.open()) qFatal("cannot open %s", qPrintable(path));
    quenby::store::exec(db, QStringLiteral("PRAGMA synchronous = OFF"));
    for (int n = 0; n < kRecords;) {
      quenby::store::Transaction transaction(db);
      for (const int end = std::min(kRecords, n + 20'000); n < end; ++n)
        quenby::store::insertRecord(db, recordNo(n));
      transaction.commit();
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

// The store, made once for every benchmark of the run; kept where QUENBY_BENCH_STORE names a file,
// and made only when that file does not exist yet.
const QString& storePath() {
  static QTemporaryDir dir;
  static const QString path = [] {
    QString p = qEnvironmentVariable("QUENBY_BENCH_STORE");
    if (p.isEmpty()) p = dir.filePath(QStringLiteral("quenby.sqlite"));
    const auto start = std::chrono::steady_clock::now();
    if (QFileInfo::exists(p)) {
      { quenby::store::Store store(p); }
      std::fprintf(stderr, "store opened, and brought up to date, in %.1f s\n",
                   std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      return p;
    }
    fill(p);
    std::fprintf(stderr, "%d records made in %.1f s\n", kRecords,
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
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

// A search typed into the window's search field and Enter pressed, each round one of two terms
// of the same kind: a numbered buyer (1 in 3,000 records), one character that two records in
// three hold (木, or 林 in one in three), a surname (one character, about 1 in 30), an office
// (two characters, 1 in 15), three or four characters that one record in three holds (木材公, 木材公司),
// an old customer whom only the oldest records name (主顾, 老主顾: 1 in 90);
// and a date range of one month; each until its rows and totals are painted.
enum class FilterKind {
  RareText,
  CommonText,
  OneCharacter,
  TwoCharacters,
  CommonLongText,
  OldCustomer,
  OneMonth
};

void BM_Filter(benchmark::State& state, FilterKind kind) {
  quenby::ledger::LedgerWindow window(storePath());
  window.present();
  painted(window);
  auto* search = window.findChild<QLineEdit*>();
  auto& model = const_cast<quenby::ledger::LedgerModel&>(window.model());
  int round = 0;
  const auto typed = [&](const QString& term) {
    search->setText(term);
    emit search->returnPressed();  // read at once, without the pause typing waits for
  };
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    switch (kind) {
      case FilterKind::RareText:
        typed(QStringLiteral("第%1林场").arg(round % 1000));
        break;
      case FilterKind::CommonText:
        typed(round % 2 ? QStringLiteral("木") : QStringLiteral("林"));
        break;
      case FilterKind::OneCharacter:
        typed(QString(QChar(kSurnames[round % kSurnames.size()])));
        break;
      case FilterKind::TwoCharacters:
        typed(QString::fromStdU16String(kOffices[round % 10]));
        break;
      case FilterKind::OldCustomer:
        typed(round % 2 ? QStringLiteral("老主顾") : QStringLiteral("主顾"));
        break;
      case FilterKind::CommonLongText:
        typed(round % 2 ? QStringLiteral("木材公司") : QStringLiteral("木材公"));
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
BENCHMARK_CAPTURE(BM_Filter, OneCharacter, FilterKind::OneCharacter)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, TwoCharacters, FilterKind::TwoCharacters)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, CommonLongText, FilterKind::CommonLongText)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, OldCustomer, FilterKind::OldCustomer)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, OneMonth, FilterKind::OneMonth)->UseManualTime()->Unit(benchmark::kMillisecond);

// What recording adds to an export: one full log tally sheet written through, on the big store.
// Its forester is no numbered one, so that a store kept for later runs finds them rare still.
void BM_RecordOneExport(benchmark::State& state) {
  quenby::store::Store store(storePath());
  LedgerRecord record = recordNo(0);
  for (quenby::store::FieldText& f : record.sheet.fields)
    if (f.name == "Text17") f.text = u"基准林场";
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

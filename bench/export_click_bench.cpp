// Click on 导出表格 to the bill handed to the desktop, through the real window: an offscreen Form1
// on a real private LibreOffice, its export button clicked as the user does, the time taken when
// the viewer (which would ask the desktop to show the bill) is called. Three cases side by side:
//   Prestarted  the office started ahead and ready before each click (touched, waited for);
//   FirstClick  pre-starting on, but the click is the first input: the office starts with it;
//   NoPrestart  pre-starting off (QUENBY_PRESTART=0): the export starts its own office;
//   PrestartedWithPdf  as Prestarted, the sheet also kept as a PDF after the save (the PDF's
//               added cost is the difference to Prestarted).
// Also the resident memory of the idle office started ahead: soffice.bin and its start process.
//   export_click_bench <template.xls> [Google Benchmark flags]

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include <benchmark/benchmark.h>

#include "scratch_bill.h"

#include "logtally/form1.h"
#include "office/libreoffice_supply.h"
#include "office/office_reserve.h"
#include "office/process_group.h"
#include "office_loading/office_warm_up.h"
#include "windows/calculators.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

static std::string gTemplate;

namespace {

// Notes when the desktop is asked to show the bill; shows nothing.
struct TimedViewer final : quenby::BillViewer {
  Clock::time_point& shownAt;
  explicit TimedViewer(Clock::time_point& at) : shownAt(at) {}
  void show(const std::string&, const std::u16string&) override { shownAt = Clock::now(); }
};

enum class Case { Prestarted, FirstClick, NoPrestart, PrestartedWithPdf };

// Resident memory of a process, in kB.
long residentKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

void clickToBill(benchmark::State& state, Case which) {
  quenby::bench::ScratchBill bill(gTemplate);
  std::shared_ptr<quenby::OfficeReserve> reserve;
  if (which != Case::NoPrestart) reserve = std::make_shared<quenby::OfficeReserve>();
  std::optional<quenby::LibreOfficeSupply> offices(std::in_place, reserve);
  std::optional<quenby::app::OfficeWarmUp> warmUp;
  if (reserve) warmUp.emplace(*offices);
  Clock::time_point shownAt;
  quenby::ExportServices services{bill.path(), [&] { return offices->newHost(); },
                                  [&] { return std::make_unique<TimedViewer>(shownAt); }};
  QTemporaryDir pdfs;
  if (which == Case::PrestartedWithPdf)
    services.pdfRequest = [root = pdfs.path().toStdString()]() -> std::optional<quenby::PdfRequest> {
      return quenby::PdfRequest{root, root + "/2026-03", "2026-03-31 235959 原木一"};
    };
  quenby::Form1 form(services, quenby::app::selectorEntries());
  form.show();
  QWidget* button = form.control({"Command3"});
  // The reminder of the first export, answered once and not timed.
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  answer.start(5);
  QTest::mouseClick(button, Qt::LeftButton);
  answer.stop();
  long rss = 0;
  for (auto _ : state) {
    if (which == Case::FirstClick) {
      // A reserve that has never been touched: the click is the first input.
      warmUp.reset();
      offices.reset();
      reserve = std::make_shared<quenby::OfficeReserve>();
      offices.emplace(reserve);
      warmUp.emplace(*offices);
    }
    if (which == Case::Prestarted || which == Case::PrestartedWithPdf) {
      reserve->touch();
      if (!reserve->waitUntilReady(std::chrono::seconds(30))) state.SkipWithError("no office started ahead");
      rss = 0;
      for (pid_t member : quenby::runningMembers(reserve->readyOffice())) rss += residentKb(member);
    }
    shownAt = {};
    const Clock::time_point clicked = Clock::now();
    QTest::mouseClick(button, Qt::LeftButton);
    if (shownAt == Clock::time_point{}) state.SkipWithError("the bill was not handed to the desktop");
    state.SetIterationTime(std::chrono::duration<double>(shownAt - clicked).count());
  }
  if (which == Case::Prestarted) state.counters["idle_office_rss_MB"] = static_cast<double>(rss) / 1024;
  if (which == Case::PrestartedWithPdf)  // the PDFs made, one per click
    state.counters["pdfs"] = static_cast<double>(QDir(pdfs.filePath(QStringLiteral("2026-03")))
                                                     .entryList({QStringLiteral("*.pdf")}, QDir::Files)
                                                     .size());
}

}  // namespace

static void BM_ClickToBill_Prestarted(benchmark::State& state) { clickToBill(state, Case::Prestarted); }
static void BM_ClickToBill_FirstClick(benchmark::State& state) { clickToBill(state, Case::FirstClick); }
static void BM_ClickToBill_NoPrestart(benchmark::State& state) { clickToBill(state, Case::NoPrestart); }
static void BM_ClickToBill_PrestartedWithPdf(benchmark::State& state) {
  clickToBill(state, Case::PrestartedWithPdf);
}
BENCHMARK(BM_ClickToBill_Prestarted)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(10)
    ->UseManualTime()
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ClickToBill_FirstClick)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(10)
    ->UseManualTime()
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ClickToBill_NoPrestart)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(10)
    ->UseManualTime()
    ->ReportAggregatesOnly(true);

BENCHMARK(BM_ClickToBill_PrestartedWithPdf)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(10)
    ->UseManualTime()
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
  gTemplate = quenby::bench::takeTemplateArgument(argc, argv);
  if (gTemplate.empty()) return 2;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}

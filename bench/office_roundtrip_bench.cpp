// One export click's round trip through a real private LibreOffice: the export procedure starts
// the office, opens the bill, takes the sheet's worksheet, writes its cells, saves, closes, quits,
// releases. The log tally sheet writes 203 cells into "原木一", the multi-length sheet 123 into
// "原木二", the sawn-timber sheet 65 into "锯材账单". And, with the default deadlines, how long an
// office that stops answering (SIGSTOP on its process group once the sheet is taken) holds a cell
// write, and a whole click with its restart, until the error.
//   office_roundtrip_bench <template.xls> [Google Benchmark flags]

#include <signal.h>
#include <unistd.h>

#include <chrono>

#include <cstdio>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "scratch_bill.h"

#include "calc/error.h"
#include "logtally/log_tally_export.h"
#include "logtally/log_tally_sheet.h"
#include "multilength/multi_length_export.h"
#include "office/libreoffice_host.h"
#include "sawn/sawn_timber_export.h"
#include "sawn/sawn_timber_sheet.h"

namespace fs = std::filesystem;

static std::string gTemplate;

namespace {

// The click's own procedure, minus the reminder box and the window that shows the bill.
void runRoundTrips(benchmark::State& state, const quenby::ExportJob& job) {
  struct Silent final : quenby::BillViewer, quenby::Prompter {
    void show(const std::string&, const std::u16string&) override {}
    void remind(const std::u16string&) override {}
  } silent;
  quenby::ExportCounter exportCount;
  for (auto _ : state) {
    quenby::LibreOfficeHost host;
    quenby::runExport(job, exportCount, host, silent, silent);
  }
  state.counters["cells"] = static_cast<double>(job.cells.size());
}

}  // namespace

static void BM_LogTallyRoundTrip(benchmark::State& state) {
  quenby::bench::ScratchBill bill(gTemplate);
  quenby::LogTallySheet sheet;
  for (int row = 1; row <= quenby::LogTallySheet::kRows; ++row)
    for (int group = 0; group < quenby::LogTallySheet::kGroups; ++group) {
      sheet.count(row, group).setText(u"12");
      sheet.volume(row, group).setText(u"0.1234");
    }
  runRoundTrips(state, quenby::logTallyExportJob(sheet, bill.path()));
}
BENCHMARK(BM_LogTallyRoundTrip)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(7)->UseRealTime();

static void BM_MultiLengthRoundTrip(benchmark::State& state) {
  quenby::bench::ScratchBill bill(gTemplate);
  quenby::MultiLengthSheet sheet;
  for (int r = 0; r < quenby::MultiLengthSheet::kLines; ++r) {
    quenby::MultiLengthRow l = sheet.line(r);
    l.length.setText(u"4");
    l.diameter.setText(u"20");
    l.count.setText(u"12");
    l.unitPrice.setText(u"800");
  }
  sheet.calculate();
  runRoundTrips(state, quenby::multiLengthExportJob(sheet, bill.path()));
}
BENCHMARK(BM_MultiLengthRoundTrip)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->UseRealTime();

static void BM_SawnTimberRoundTrip(benchmark::State& state) {
  quenby::bench::ScratchBill bill(gTemplate);
  quenby::SawnTimberSheet sheet;
  for (int r = 0; r < quenby::SawnTimberSheet::kLines; ++r) {
    quenby::SawnTimberRow line = sheet.line(r);
    line.length.setText(u"4");
    line.width.setText(u"200");
    line.thickness.setText(u"50");
    line.pieces.setText(u"10");
    line.unitPrice.setText(u"1500");
  }
  sheet.calculate();
  runRoundTrips(state, quenby::sawnTimberExportJob(sheet, bill.path()));
}
BENCHMARK(BM_SawnTimberRoundTrip)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->UseRealTime();

namespace {

// The real office, stopped once the sheet is taken.
struct StallingHost final : quenby::SpreadsheetHost {
  quenby::LibreOfficeHost office;
  void newInstance() override { office.newInstance(); }
  void openWorkbook(const std::string& path) override { office.openWorkbook(path); }
  void selectWorksheet(const std::u16string& name) override {
    office.selectWorksheet(name);
    ::kill(-office.officeProcessId(), SIGSTOP);
  }
  void setCellText(int row, int column, const std::u16string& text) override {
    office.setCellText(row, column, text);
  }
  void save() override { office.save(); }
  void closeAllWorkbooks() override { office.closeAllWorkbooks(); }
  void quit() override { office.quit(); }
  void release() noexcept override { office.release(); }
};

}  // namespace

static void BM_StalledOfficeToError(benchmark::State& state) {
  quenby::bench::ScratchBill scratch(gTemplate);
  for (auto _ : state) {
    quenby::LibreOfficeHost host;
    host.newInstance();
    host.openWorkbook(scratch.path());
    host.selectWorksheet(u"原木一");
    ::kill(-host.officeProcessId(), SIGSTOP);
    const auto stalled = std::chrono::steady_clock::now();
    try {
      host.setCellText(7, 1, u"30");
      state.SkipWithError("the stalled office answered");
    } catch (const quenby::QuenbyError& e) {
      if (e.number() != 1002) state.SkipWithError(e.description().c_str());
    }
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - stalled).count());
    host.release();
  }
}
BENCHMARK(BM_StalledOfficeToError)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime();

static void BM_StalledExportClickToError(benchmark::State& state) {
  quenby::bench::ScratchBill scratch(gTemplate);
  quenby::LogTallySheet sheet;
  const quenby::ExportJob job = quenby::logTallyExportJob(sheet, scratch.path());
  struct Silent final : quenby::BillViewer, quenby::Prompter {
    void show(const std::string&, const std::u16string&) override {}
    void remind(const std::u16string&) override {}
  } silent;
  for (auto _ : state) {
    StallingHost host;
    try {
      quenby::ExportCounter exportCount;
      quenby::runExport(job, exportCount, host, silent, silent);
      state.SkipWithError("the stalled export succeeded");
    } catch (const quenby::QuenbyError& e) {
      if (e.number() != 1002) state.SkipWithError(e.description().c_str());
    }
  }
}
BENCHMARK(BM_StalledExportClickToError)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(1)
    ->UseRealTime();

int main(int argc, char** argv) {
  gTemplate = quenby::bench::takeTemplateArgument(argc, argv);
  if (gTemplate.empty()) return 2;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}

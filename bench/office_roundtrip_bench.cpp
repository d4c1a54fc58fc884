// One export click's round trip through a real private LibreOffice: the export procedure starts
// the office, opens the bill, takes "原木一", writes the 203 cells, saves, closes, quits, releases.
//   office_roundtrip_bench <template.xls> [Google Benchmark flags]

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "export/libreoffice_host.h"
#include "logtally/log_tally_export.h"
#include "logtally/log_tally_sheet.h"

namespace fs = std::filesystem;

static std::string gTemplate;

static void BM_LogTallyRoundTrip(benchmark::State& state) {
  std::string pattern = (fs::temp_directory_path() / "quenby-bench-XXXXXX").string();
  const fs::path dir = ::mkdtemp(pattern.data());
  const fs::path bill = dir / u8"账单明细.xls";
  fs::copy_file(fs::path(std::u8string(gTemplate.begin(), gTemplate.end())), bill);
  const std::u8string billU8 = bill.u8string();
  const std::string billPath(billU8.begin(), billU8.end());

  quenby::LogTallySheet sheet;
  quenby::ExportCounter exportCount;
  for (int row = 1; row <= quenby::LogTallySheet::kRows; ++row)
    for (int group = 0; group < quenby::LogTallySheet::kGroups; ++group) {
      sheet.count(row, group).setText(u"12");
      sheet.volume(row, group).setText(u"0.1234");
    }
  const quenby::ExportJob job = quenby::logTallyExportJob(sheet, billPath);

  // The click's own procedure, minus the reminder box and the window that shows the bill.
  struct Silent final : quenby::BillViewer, quenby::Prompter {
    void show(const std::string&, const std::u16string&) override {}
    void remind(const std::u16string&) override {}
  } silent;
  for (auto _ : state) {
    quenby::LibreOfficeHost host;
    quenby::runExport(job, exportCount, host, silent, silent);
  }
  state.counters["cells"] = static_cast<double>(job.cells.size());
  fs::remove_all(dir);
}
BENCHMARK(BM_LogTallyRoundTrip)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(7)->UseRealTime();

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: %s <bill template .xls> [benchmark flags]\n", argv[0]);
    return 2;
  }
  gTemplate = argv[1];
  argv[1] = argv[0];
  ++argv;
  --argc;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}

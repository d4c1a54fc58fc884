// Core benchmarks: the log volume of one line, and a click of calculate on the log tally and
// sawn-timber sheets.
#include <benchmark/benchmark.h>

#include <string>

#include "calc/field.h"
#include "calc/log_volume.h"
#include "logtally/log_tally_sheet.h"
#include "sawn/sawn_timber_sheet.h"

namespace {

using quenby::Field;

struct Line {
  Field diameter, count, length;
  Line(const char16_t* d, const char16_t* n, const char16_t* l) : diameter(d), count(n), length(l) {}
};

// The worked values: every branch and both masks.
void BM_CaiJiJiSuan_WorkedValues(benchmark::State& state) {
  static Line lines[] = {{u"20", u"3", u"4"},  {u"20", u"1", u"4"},  {u"26", u"7", u"6"},   {u"14", u"4", u"2"},
                         {u"14", u"1", u"8"},  {u"13", u"1", u"8"},  {u"12", u"10", u"6"},  {u"30", u"1", u"10"},
                         {u"6", u"5", u"4"},   {u"4", u"2", u"2"},   {u"6", u"2", u"1"},    {u"8", u"1", u"1.5"},
                         {u"24", u"1", u"12"}};
  for (auto _ : state)
    for (Line& l : lines) benchmark::DoNotOptimize(quenby::CaiJiJiSuan(l.diameter, l.count, l.length));
  state.SetItemsProcessed(state.iterations() * std::size(lines));
}
BENCHMARK(BM_CaiJiJiSuan_WorkedValues);

void fillSheet(quenby::LogTallySheet& s) {
  const char16_t* lengths[] = {u"4", u"1.5", u"10", u"12"};
  const char16_t* prices[] = {u"800", u"650.5", u"720", u"1000"};
  for (int g = 0; g < 4; ++g) {
    s.length(g).setText(lengths[g]);
    s.unitPrice(g).setText(prices[g]);
    for (int r = 1; r <= 14; ++r) {
      std::string n = std::to_string(r + g);
      s.count(r, g).setText(std::u16string(n.begin(), n.end()));
    }
  }
  s.field("Text28").setText(u"700");
}

// A click of calculate on a sheet filled by `fill`, its results blanked first (outside the timing)
// so that every click writes all of them again.
template <class Sheet>
void calculateFilledSheet(benchmark::State& state, void (*fill)(Sheet&)) {
  Sheet sheet;
  for (auto _ : state) {
    state.PauseTiming();
    sheet.clear();
    fill(sheet);
    state.ResumeTiming();
    sheet.calculate();
  }
}

void BM_LogTallyCalculate_FullSheet(benchmark::State& state) { calculateFilledSheet(state, fillSheet); }
BENCHMARK(BM_LogTallyCalculate_FullSheet);

void BM_LogTallyCalculate_RepeatedClick(benchmark::State& state) {
  quenby::LogTallySheet sheet;
  fillSheet(sheet);
  for (auto _ : state) sheet.calculate();
}
BENCHMARK(BM_LogTallyCalculate_RepeatedClick);

void BM_LogTallyCalculate_EmptySheet(benchmark::State& state) {
  quenby::LogTallySheet sheet;
  for (auto _ : state) sheet.calculate();
}
BENCHMARK(BM_LogTallyCalculate_EmptySheet);

// Eight lines of boards, each with a price; every volume and amount is shown.
void fillBoards(quenby::SawnTimberSheet& s) {
  const char16_t* lengths[] = {u"4", u"6", u"2.5", u"3", u"4m", u"1.23456", u"5", u"2"};
  for (int r = 0; r < quenby::SawnTimberSheet::kLines; ++r) {
    quenby::SawnTimberRow line = s.line(r);
    line.length.setText(lengths[r]);
    line.width.setText(u"200");
    line.thickness.setText(u"50");
    std::string n = std::to_string(r + 3);
    line.pieces.setText(std::u16string(n.begin(), n.end()));
    line.unitPrice.setText(u"1480.5");
  }
}

void BM_SawnTimberCalculate_FullSheet(benchmark::State& state) { calculateFilledSheet(state, fillBoards); }
BENCHMARK(BM_SawnTimberCalculate_FullSheet);

void BM_SawnTimberCalculate_RepeatedClick(benchmark::State& state) {
  quenby::SawnTimberSheet sheet;
  fillBoards(sheet);
  for (auto _ : state) sheet.calculate();
}
BENCHMARK(BM_SawnTimberCalculate_RepeatedClick);

}  // namespace

BENCHMARK_MAIN();

// Core benchmarks: the log volume of one line, and a click of calculate on each of the three
// sheets.
#include <benchmark/benchmark.h>

#include <string>

#include "calc/field.h"
#include "calc/log_volume.h"
#include "logtally/log_tally_sheet.h"
#include "multilength/multi_length_sheet.h"
#include "sawn/sawn_timber_sheet.h"

namespace {

using quenby::Field;

struct Line {
  Field diameter, count, length;
  Line(const char16_t* d, const char16_t* n, const char16_t* l) : diameter(d), count(n), length(l) {}
};

// The worked values: every branch and both masks.
void BM_CaiJiJiSuan_WorkedValues(benchmark::State& state) {
  static Line lines[] = {{u"20", u"3", u"4"}, {u"20", u"1", u"4"}, {u"26", u"7", u"6"},  {u"14", u"4", u"2"},
                         {u"14", u"1", u"8"}, {u"13", u"1", u"8"}, {u"12", u"10", u"6"}, {u"30", u"1", u"10"},
                         {u"6", u"5", u"4"},  {u"4", u"2", u"2"},  {u"6", u"2", u"1"},   {u"8", u"1", u"1.5"},
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

// Nineteen lines over every length band and both diameter masks, each priced, and an average price.
void fillSheet(quenby::MultiLengthSheet& s) {
  const char16_t* lengths[] = {u"4", u"6", u"2", u"8", u"10", u"1.5", u"12"};
  const char16_t* diameters[] = {u"20", u"26", u"14", u"13", u"12", u"6", u"30", u"8", u"24", u"4"};
  for (int r = 0; r < quenby::MultiLengthSheet::kLines; ++r) {
    quenby::MultiLengthRow l = s.line(r);
    l.length.setText(lengths[r % std::size(lengths)]);
    l.diameter.setText(diameters[r % std::size(diameters)]);
    std::string n = std::to_string(r + 1);
    l.count.setText(std::u16string(n.begin(), n.end()));
    l.unitPrice.setText(r % 2 ? u"650.5" : u"800");
  }
  s.averageUnitPrice().setText(u"720");
}

// Eight lines of boards, each with a price; every volume and amount is shown.
void fillSheet(quenby::SawnTimberSheet& s) {
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

// A click of calculate on typed-in lines with no results yet, so that every click writes all of
// them again.
template <class Sheet>
void BM_Calculate_FullSheet(benchmark::State& state) {
  Sheet sheet;
  for (auto _ : state) {
    state.PauseTiming();
    sheet.clear();
    fillSheet(sheet);
    state.ResumeTiming();
    sheet.calculate();
  }
}
BENCHMARK_TEMPLATE(BM_Calculate_FullSheet, quenby::LogTallySheet);
BENCHMARK_TEMPLATE(BM_Calculate_FullSheet, quenby::MultiLengthSheet);
BENCHMARK_TEMPLATE(BM_Calculate_FullSheet, quenby::SawnTimberSheet);

// Clicking again on a calculated sheet: the texts written are the ones already there.
template <class Sheet>
void BM_Calculate_RepeatedClick(benchmark::State& state) {
  Sheet sheet;
  fillSheet(sheet);
  for (auto _ : state) sheet.calculate();
}
BENCHMARK_TEMPLATE(BM_Calculate_RepeatedClick, quenby::LogTallySheet);
BENCHMARK_TEMPLATE(BM_Calculate_RepeatedClick, quenby::MultiLengthSheet);
BENCHMARK_TEMPLATE(BM_Calculate_RepeatedClick, quenby::SawnTimberSheet);

template <class Sheet>
void BM_Calculate_EmptySheet(benchmark::State& state) {
  Sheet sheet;
  for (auto _ : state) sheet.calculate();
}
BENCHMARK_TEMPLATE(BM_Calculate_EmptySheet, quenby::LogTallySheet);
BENCHMARK_TEMPLATE(BM_Calculate_EmptySheet, quenby::MultiLengthSheet);
BENCHMARK_TEMPLATE(BM_Calculate_EmptySheet, quenby::SawnTimberSheet);

}  // namespace

BENCHMARK_MAIN();

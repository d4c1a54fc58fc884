#include "logtally/log_tally_export.h"

namespace quenby {

namespace {

std::vector<CellMapEntry> cellMap() {
  std::vector<CellMapEntry> cells;
  cells.reserve(203);
  // The tally grid: Text<k>(i) to row 6 + k, column i + 1 (A7 … L20).
  for (int k = 1; k <= LogTallySheet::kRows; ++k)
    for (int i = 0; i < LogTallySheet::kColumns; ++i)
      cells.push_back({6 + k, i + 1, {LogTallySheet::rowArray(k), i}});

  // Group 2's subtotals are crossed in their indices: Text16(5) is its count (H21), Text16(4) its
  // volume (I21).
  const CellMapEntry others[] = {
      {3, 1, {"Combo4"}},      {3, 3, {"Text17"}},      {3, 8, {"Combo2"}},     {3, 10, {"Text22"}},
      {4, 2, {"Text27"}},      {4, 8, {"Text25"}},      {5, 2, {"Text23"}},     {5, 5, {"Text15"}},
      {5, 8, {"Text26"}},      {5, 11, {"Text21"}},     {21, 2, {"Text16", 0}}, {21, 3, {"Text16", 1}},
      {21, 5, {"Text16", 2}},  {21, 6, {"Text16", 3}},  {21, 8, {"Text16", 5}}, {21, 9, {"Text16", 4}},
      {21, 11, {"Text16", 6}}, {21, 12, {"Text16", 7}}, {23, 1, {"Text18", 0}}, {23, 2, {"Text19", 0}},
      {23, 4, {"Text18", 1}},  {23, 5, {"Text19", 1}},  {23, 7, {"Text18", 2}}, {23, 8, {"Text19", 5}},
      {23, 10, {"Text18", 3}}, {23, 11, {"Text19", 6}}, {25, 1, {"Text19", 4}}, {25, 3, {"Text19", 3}},
      {25, 5, {"Text19", 2}},  {25, 8, {"Text28"}},     {25, 10, {"Text29"}},   {26, 1, {"Combo5"}},
      {26, 3, {"Text20"}},     {26, 8, {"Combo1"}},     {26, 10, {"Text24"}},
  };
  cells.insert(cells.end(), std::begin(others), std::end(others));
  return cells;
}

}  // namespace

const SheetExport& logTallyExport() {
  static const SheetExport spec{u"原木一", cellMap(), RestartPolicy::OnceSilently};
  return spec;
}

}  // namespace quenby

#include "sawn/sawn_timber_export.h"

namespace quenby {

namespace {

std::vector<CellMapEntry> cellMap() {
  std::vector<CellMapEntry> cells;
  cells.reserve(65);
  // Line r to row 5 + r, its seven columns to A … G.
  for (int r = 0; r < SawnTimberSheet::kLines; ++r)
    for (int c = 1; c <= SawnTimberSheet::kColumns; ++c)
      cells.push_back({5 + r, c, {SawnTimberSheet::lineArray(c), r}});

  // The captions of Combo3 and Combo4 are left out: the workbook's own labels stand in A3 and A14.
  const CellMapEntry others[] = {
      {3, 2, {"Text10"}}, {3, 6, {"Text11"}}, {14, 6, {"Text12"}}, {14, 2, {"Text13"}}, {13, 2, {"Text14"}},
      {13, 5, {"Text8"}}, {13, 6, {"Text9"}}, {14, 5, {"Combo1"}}, {3, 5, {"Combo2"}},
  };
  cells.insert(cells.end(), std::begin(others), std::end(others));
  return cells;
}

}  // namespace

const SheetExport& sawnTimberExport() {
  static const SheetExport sheetExport{u"锯材账单", cellMap(), RestartPolicy::OnceSilently};
  return sheetExport;
}

}  // namespace quenby

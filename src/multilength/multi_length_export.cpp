#include "multilength/multi_length_export.h"

namespace quenby {

namespace {

std::vector<CellMapEntry> cellMap() {
  std::vector<CellMapEntry> cells = {{2, 2, {"Text27"}}, {3, 2, {"Text28"}}, {3, 5, {"Text29"}}};
  // Line r fills sheet row 5 + r, its six fields in screen order from column A.
  for (int r = 0; r < MultiLengthSheet::kLines; ++r)
    for (size_t c = 0; c < MultiLengthSheet::kColumns.size(); ++c)
      cells.push_back({5 + r, static_cast<int>(c) + 1, {MultiLengthSheet::kColumns[c], r}});
  // The average unit price and the amount at it are not neighbours in the bill.
  const CellMapEntry totals[] = {{24, 3, {"Text22", 5}}, {24, 4, {"Text22", 4}}, {24, 6, {"Text22", 10}},
                                 {25, 2, {"Text22", 7}}, {25, 5, {"Text22", 6}}, {26, 2, {"Text23"}}};
  cells.insert(cells.end(), std::begin(totals), std::end(totals));
  return cells;
}

}  // namespace

const SheetExport& multiLengthExport() {
  static const SheetExport spec{u"原木二", cellMap(), RestartPolicy::None};
  return spec;
}

}  // namespace quenby

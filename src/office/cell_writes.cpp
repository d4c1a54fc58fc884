#include "office/cell_writes.h"

#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSheetOperation.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/text/XText.hpp>

#include "office/uno_bridge.h"

namespace quenby {

using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;

namespace {

std::string cellName(int row, int column) {
  std::string name;
  for (int c = column; c > 0; c = (c - 1) / 26)
    name.insert(name.begin(), static_cast<char>('A' + (c - 1) % 26));
  return name + std::to_string(row);
}

}  // namespace

std::string cellsName(const CellRuns::Run& run) {
  std::string name = cellName(run.row, run.column);
  if (run.texts.size() > 1) name += ":" + cellName(run.row + run.rows - 1, run.column + run.columns - 1);
  return name;
}

void writeCells(const Reference<css::sheet::XSpreadsheet>& sheet, const CellRuns::Run& run) {
  if (run.texts.size() == 1) {
    Reference<css::table::XCell> cell = sheet->getCellByPosition(run.column - 1, run.row - 1);
    if (run.texts.front().empty()) {
      Reference<css::sheet::XSheetOperation>(cell, UNO_QUERY_THROW)
          ->clearContents(css::sheet::CellFlags::VALUE | css::sheet::CellFlags::DATETIME |
                          css::sheet::CellFlags::STRING | css::sheet::CellFlags::FORMULA);
    } else {
      Reference<css::text::XText>(cell, UNO_QUERY_THROW)->setString(toOUString(run.texts.front()));
    }
    return;
  }
  // The data array first empties the range's contents (not its formatting), then puts each text
  // in as text input: an empty one leaves its cell empty.
  css::uno::Sequence<css::uno::Sequence<css::uno::Any>> rows(run.rows);
  for (int r = 0; r < run.rows; ++r) {
    css::uno::Sequence<css::uno::Any> row(run.columns);
    for (int c = 0; c < run.columns; ++c)
      row.getArray()[c] <<= toOUString(run.texts[static_cast<std::size_t>(r * run.columns + c)]);
    rows.getArray()[r] = row;
  }
  Reference<css::table::XCellRange> range = sheet->getCellRangeByPosition(
      run.column - 1, run.row - 1, run.column + run.columns - 2, run.row + run.rows - 2);
  Reference<css::sheet::XCellRangeData>(range, UNO_QUERY_THROW)->setDataArray(rows);
}

}  // namespace quenby

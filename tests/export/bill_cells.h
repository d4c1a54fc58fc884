#pragma once
// What an export must leave in a worksheet of the bill, checked cell by cell.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "support/utf.h"
#include "workbook_reader.h"

namespace quenby::test {

// Cell name ("B3") -> the text the export writes there; an empty text leaves the cell empty.
using BillCells = std::map<std::string, std::string>;

inline std::string cellName(int row, int column) {
  return std::string(1, static_cast<char>('A' + column - 1)) + std::to_string(row);
}

// Reads the worksheet `name` of the bill at `path` over `before`'s rectangle: each cell of
// `expected` holds its text as a text cell (or is empty), every other cell what `before`, the
// template's reading, held. Returns what it read.
inline WorksheetReading expectWorksheetCells(const std::string& path, const std::u16string& name,
                                             const BillCells& expected, const WorksheetReading& before) {
  const WorksheetReading bill = readWorksheets(path, {name}, before.rows, before.columns).at(0);
  for (int row = 1; row <= before.rows; ++row)
    for (int column = 1; column <= before.columns; ++column) {
      const std::string where = cellName(row, column);
      const CellReading& got = bill.at(row, column);
      auto it = expected.find(where);
      if (it == expected.end()) {
        EXPECT_EQ(u8(got.text), u8(before.at(row, column).text)) << where << " is the template's";
      } else if (it->second.empty()) {
        EXPECT_EQ(got.kind, CellKind::Empty) << where;
      } else {
        EXPECT_EQ(got.kind, CellKind::Text) << where;
        EXPECT_EQ(u8(got.text), it->second) << where;
      }
    }
  return bill;
}

}  // namespace quenby::test

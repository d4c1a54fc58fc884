// The bill template against the cell maps of the three exports: every written cell is an empty
// cell of its own (never hidden inside a merged block), inside the print area, and each sheet
// prints on one A4 page at full size.

#include <algorithm>
#include <numeric>
#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "calc/numeric_text.h"
#include "office_test_support.h"
#include "support/utf.h"
#include "workbook_reader.h"

namespace quenby {
namespace {

using Cell = std::pair<int, int>;  // row, column

std::vector<Cell> logTallyCells() {
  std::vector<Cell> cells;
  for (int r = 7; r <= 20; ++r)
    for (int c = 1; c <= 12; ++c) cells.push_back({r, c});
  cells.insert(cells.end(),
               {{3, 1},  {3, 3},  {3, 8},  {3, 10},  {4, 2},  {4, 8},  {5, 2},   {5, 5},   {5, 8},
                {5, 11}, {21, 2}, {21, 3}, {21, 5},  {21, 6}, {21, 8}, {21, 9},  {21, 11}, {21, 12},
                {23, 1}, {23, 2}, {23, 4}, {23, 5},  {23, 7}, {23, 8}, {23, 10}, {23, 11}, {25, 1},
                {25, 3}, {25, 5}, {25, 8}, {25, 10}, {26, 1}, {26, 3}, {26, 8},  {26, 10}});
  return cells;
}

std::vector<Cell> multiLengthCells() {
  std::vector<Cell> cells = {{2, 2}, {3, 2}, {3, 5}};
  for (int r = 5; r <= 23; ++r)
    for (int c = 1; c <= 6; ++c) cells.push_back({r, c});
  cells.insert(cells.end(), {{24, 3}, {24, 4}, {24, 6}, {25, 2}, {25, 5}, {26, 2}});
  return cells;
}

std::vector<Cell> sawnTimberCells() {
  std::vector<Cell> cells;
  for (int r = 5; r <= 12; ++r)
    for (int c = 1; c <= 7; ++c) cells.push_back({r, c});
  cells.insert(cells.end(), {{3, 2}, {3, 6}, {14, 6}, {14, 2}, {13, 2}, {13, 5}, {13, 6}, {14, 5}, {3, 5}});
  return cells;
}

struct SheetMap {
  const char16_t* name;
  std::vector<Cell> cells;
  size_t expectedCount;
};

class BillTemplate : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    readings_ = readWorksheets(test::utf8(test::templatePath()), {u"原木一", u"原木二", u"锯材账单"}, 30, 14);
  }
  static std::vector<WorksheetReading> readings_;
};
std::vector<WorksheetReading> BillTemplate::readings_;

TEST_F(BillTemplate, HasExactlyTheThreeSheetsInOrder) {
  EXPECT_EQ(worksheetNames(test::utf8(test::templatePath())),
            (std::vector<std::u16string>{u"原木一", u"原木二", u"锯材账单"}));
}

TEST_F(BillTemplate, EveryWrittenCellIsAnEmptyVisibleCellInsideThePrintArea) {
  const SheetMap maps[] = {{u"原木一", logTallyCells(), 203},
                           {u"原木二", multiLengthCells(), 123},
                           {u"锯材账单", sawnTimberCells(), 65}};
  for (size_t s = 0; s < 3; ++s) {
    const SheetMap& map = maps[s];
    const WorksheetReading& sheet = readings_[s];
    SCOPED_TRACE(u8(map.name));
    ASSERT_EQ(map.cells.size(), map.expectedCount);
    ASSERT_EQ(std::set<Cell>(map.cells.begin(), map.cells.end()).size(), map.cells.size())
        << "a cell written twice";
    ASSERT_EQ(sheet.printAreas.size(), 1u);
    const CellRect area = sheet.printAreas[0];
    EXPECT_EQ(area.firstRow, 1);
    EXPECT_EQ(area.firstColumn, 1);

    for (const auto& [row, column] : map.cells) {
      SCOPED_TRACE("row " + std::to_string(row) + " column " + std::to_string(column));
      EXPECT_EQ(sheet.at(row, column).kind, CellKind::Empty)
          << "the template has content where the export writes";
      EXPECT_LE(row, area.lastRow);
      EXPECT_LE(column, area.lastColumn);
      for (const CellRect& m : sheet.mergedRanges) {
        bool inside =
            row >= m.firstRow && row <= m.lastRow && column >= m.firstColumn && column <= m.lastColumn;
        if (inside) {
          EXPECT_TRUE(row == m.firstRow && column == m.firstColumn) << "hidden under a merged block";
        }
      }
    }
    // Titles, labels and headings: the template brings its own texts in cells no export writes.
    std::set<Cell> written(map.cells.begin(), map.cells.end());
    int labels = 0;
    for (int r = 1; r <= area.lastRow; ++r)
      for (int c = 1; c <= area.lastColumn; ++c)
        if (!written.count({r, c}) && sheet.at(r, c).kind == CellKind::Text) ++labels;
    EXPECT_GE(labels, 10);
    EXPECT_EQ(sheet.at(1, 1).kind, CellKind::Text) << "no title";
  }
}

TEST_F(BillTemplate, EachSheetFitsOneA4PageAtFullSize) {
  for (const WorksheetReading& sheet : readings_) {
    SCOPED_TRACE(u8(sheet.name));
    const int shortSide = std::min(sheet.pageWidth, sheet.pageHeight);
    const int longSide = std::max(sheet.pageWidth, sheet.pageHeight);
    EXPECT_NEAR(shortSide, 21000, 20);
    EXPECT_NEAR(longSide, 29700, 20);
    ASSERT_EQ(sheet.printAreas.size(), 1u);
    const CellRect area = sheet.printAreas[0];
    const int width =
        std::accumulate(sheet.columnWidths.begin(), sheet.columnWidths.begin() + area.lastColumn, 0);
    const int height = std::accumulate(sheet.rowHeights.begin(), sheet.rowHeights.begin() + area.lastRow, 0);
    EXPECT_LE(width, sheet.pageWidth - sheet.leftMargin - sheet.rightMargin);
    EXPECT_LE(height, sheet.pageHeight - sheet.topMargin - sheet.bottomMargin);
    // Wide enough to be read: no printed column narrower than 1.5 cm.
    EXPECT_GE(*std::min_element(sheet.columnWidths.begin(), sheet.columnWidths.begin() + area.lastColumn),
              1500);
  }
}

}  // namespace
}  // namespace quenby

#pragma once
// Reads a workbook back through a separate private office, for tests that check what an export
// wrote and what the bill template holds. The workbook is loaded read-only and left unchanged.

#include <string>
#include <vector>

#include "office/libreoffice_host.h"

namespace quenby {

enum class CellKind { Empty, Value, Text, Formula };

struct CellReading {
  CellKind kind = CellKind::Empty;
  std::u16string text;     // the text the cell shows
  std::u16string formula;  // the cell's formula (for a text cell: its text)
};

struct CellRect {  // 1-based, inclusive
  int firstRow = 0, firstColumn = 0, lastRow = 0, lastColumn = 0;
  bool operator==(const CellRect&) const = default;
};

struct WorksheetReading {
  std::u16string name;
  int rows = 0, columns = 0;
  std::vector<CellReading> cells;  // row-major, rows × columns from A1
  std::vector<CellRect> printAreas;
  std::vector<CellRect> mergedRanges;  // merged cells that start inside the read rectangle
  int pageWidth = 0, pageHeight = 0;   // paper size of the sheet's page style, 1/100 mm
  bool landscape = false;
  int leftMargin = 0, rightMargin = 0, topMargin = 0, bottomMargin = 0;  // 1/100 mm
  std::vector<int> columnWidths;                                         // 1/100 mm, columns 1..columns
  std::vector<int> rowHeights;                                           // 1/100 mm, rows 1..rows

  const CellReading& at(int row, int column) const;  // 1-based; throws std::out_of_range
};

// Loads the workbook hidden and read-only and reads rows × columns cells from A1 of each named
// sheet. Raises QuenbyError: WorkbookMissing, WorksheetMissing, or those of starting the office.
std::vector<WorksheetReading> readWorksheets(const std::string& pathUtf8,
                                             const std::vector<std::u16string>& sheets, int rows, int columns,
                                             const OfficeOptions& options = {});

// The names of the workbook's sheets, in order.
std::vector<std::u16string> worksheetNames(const std::string& pathUtf8, const OfficeOptions& options = {});

// How the workbook opens: on which sheet (its active sheet), and which sheets are selected with it
// (more than one would open the workbook with the sheets grouped, every entry going to all).
struct WorkbookView {
  std::u16string activeSheet;
  std::vector<std::u16string> selectedSheets;  // in the workbook's order
};
WorkbookView readWorkbookView(const std::string& pathUtf8, const OfficeOptions& options = {});

}  // namespace quenby

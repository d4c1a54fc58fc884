#pragma once
// Cell texts written into a sheet of the office, a run of neighbouring cells at a time (see
// export/cell_runs.h). Every text is stored as it stands, as text: "=1+1" is no formula, "12" no
// number; an empty text empties its cell and keeps the cell's formatting.

#include <string>

#include <com/sun/star/sheet/XSpreadsheet.hpp>

#include "export/cell_runs.h"

namespace quenby {

// The run's cells as a spreadsheet names them: "B5", or "B5:B18".
std::string cellsName(const CellRuns::Run& run);

// Three calls on the office, whatever the run's length. Raises what UNO raises.
void writeCells(const css::uno::Reference<css::sheet::XSpreadsheet>& sheet, const CellRuns::Run& run);

}  // namespace quenby

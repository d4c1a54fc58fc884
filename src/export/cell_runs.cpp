#include "export/cell_runs.h"

#include <utility>

namespace quenby {

bool CellRuns::continues(int row, int column) const {
  const bool one = run_.texts.size() == 1;
  if (row == run_.row && column == run_.column + run_.columns) return one || run_.rows == 1;
  if (column == run_.column && row == run_.row + run_.rows) return one || run_.columns == 1;
  return false;
}

std::optional<CellRuns::Run> CellRuns::add(int row, int column, std::u16string text) {
  std::optional<Run> ended;
  if (!run_.texts.empty() && !continues(row, column)) ended = take();
  if (run_.texts.empty()) {
    run_ = Run{row, column, 1, 1, {}};
  } else if (row == run_.row) {
    ++run_.columns;
  } else {
    ++run_.rows;
  }
  run_.texts.push_back(std::move(text));
  return ended;
}

std::optional<CellRuns::Run> CellRuns::take() {
  if (run_.texts.empty()) return std::nullopt;
  return std::exchange(run_, {});
}

}  // namespace quenby

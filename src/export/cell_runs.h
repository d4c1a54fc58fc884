#pragma once
// Writes of cell texts gathered into runs of neighbouring cells (down a column or along a row),
// so that a host can hand each run to the spreadsheet in one call instead of one per cell: on a
// remote spreadsheet every call is a round trip. The order of the writes is kept: a write that
// does not continue the run gives the run back to be written first. No Qt.

#include <optional>
#include <string>
#include <vector>

namespace quenby {

class CellRuns {
 public:
  struct Run {
    int row = 0, column = 0;            // the first cell, from 1
    int rows = 0, columns = 0;          // one of them is 1
    std::vector<std::u16string> texts;  // rows times columns, row by row
  };

  // Gathers the write. When this cell does not continue the run gathered so far, that run is
  // returned, to be written before this one.
  std::optional<Run> add(int row, int column, std::u16string text);
  // What is gathered, taken out; nothing when nothing is.
  std::optional<Run> take();

 private:
  bool continues(int row, int column) const;

  Run run_;
};

}  // namespace quenby

#pragma once
// Where a sheet's fields go in the bill: one entry per cell, 1-based row and column, written in
// the order of the map.

#include <vector>

#include "calc/field.h"

namespace quenby {

// A row of a sheet's cell-map table.
struct CellMapEntry {
  int row;
  int column;
  FieldId field;
};

// A cell of a map resolved against one sheet: the field whose text goes there, read when the
// cell is written.
struct CellSource {
  int row;
  int column;
  FieldId id;
  const Field* field;
};

}  // namespace quenby

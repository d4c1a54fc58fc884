#pragma once
// Where a sheet's fields go in the bill: one entry per cell, 1-based row and column, written in
// the order of the map.

#include <string>
#include <vector>

#include "calc/field.h"

namespace quenby {

// A row of a sheet's cell-map table.
struct CellMapEntry {
  int row;
  int column;
  FieldId field;
};

// A cell of a map resolved against one sheet: the text its field held when the map was resolved
// (the export's click). The export never reads a field again, so its office work may run on a
// thread of its own while the window stays in the user's hands.
struct CellSource {
  int row;
  int column;
  FieldId id;
  std::u16string text;
};

}  // namespace quenby

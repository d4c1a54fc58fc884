#include "sheet/calculator_spec.h"

#include <stdexcept>

namespace quenby {

FieldId addressOf(const Sheet& sheet, const Field& field) {
  for (const NamedField& f : sheet.fields())
    if (f.field == &field) return f.id;
  throw std::out_of_range("a field that is not the sheet's");
}

}  // namespace quenby

#include "store/snapshot.h"

namespace quenby::store {

const SheetState* Snapshot::sheet(std::string_view key) const {
  for (const SheetState& s : sheets)
    if (s.key == key) return &s;
  return nullptr;
}

SheetState capture(std::string_view key, const Sheet& sheet) {
  SheetState state{std::string(key), {}};
  state.fields.reserve(sheet.fields().size());
  for (const NamedField& f : sheet.fields())
    state.fields.push_back({std::string(f.id.name), f.id.index, f.field->text()});
  return state;
}

void restore(const SheetState& state, Sheet& sheet) {
  for (const FieldText& f : state.fields) sheet.restore({f.name, f.index}, f.text);
}

}  // namespace quenby::store

#pragma once
// A snapshot of the sheets of one run: plain data, copied from the sheets on the UI thread and
// written by the store's writer thread. Each sheet that exists is kept under its key with every
// field's text by address (the keys are the calculators' own, sheet/calculator_spec.h); `shown` names the
// sheet whose window is shown. Texts are kept as the fields hold them, UTF-16 code units, lone surrogates and
// NULs included.

#include <string>
#include <vector>

#include "sheet/sheet.h"

namespace quenby::store {

struct FieldText {
  std::string name;  // control name, e.g. "Text16"
  int index = -1;    // index in the control array, -1 for a single control
  std::u16string text;
  friend bool operator==(const FieldText&, const FieldText&) = default;
};

struct SheetState {
  std::string key;
  std::vector<FieldText> fields;
  friend bool operator==(const SheetState&, const SheetState&) = default;
};

struct Snapshot {
  std::vector<SheetState> sheets;
  std::string shown;  // key of the sheet whose window is shown
  friend bool operator==(const Snapshot&, const Snapshot&) = default;

  const SheetState* sheet(std::string_view key) const;
};

// Every field of `sheet` with its text, in the sheet's own order.
SheetState capture(std::string_view key, const Sheet& sheet);
// Puts the texts of `state` back into `sheet` with Sheet::restore: no rule runs, and fields the
// sheet no longer has are passed over.
void restore(const SheetState& state, Sheet& sheet);

}  // namespace quenby::store

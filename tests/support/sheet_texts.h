#pragma once
// Every field of a sheet by its address ("Text22(7)") with its text in UTF-8: a snapshot to
// compare before and after, or to look fields up by name.

#include <map>
#include <string>

#include "sheet/sheet.h"
#include "support/utf.h"

namespace quenby {

inline std::map<std::string, std::string> fieldTexts(const Sheet& sheet) {
  std::map<std::string, std::string> m;
  for (const NamedField& f : sheet.fields()) m[toString(f.id)] = u8(f.field->text());
  return m;
}

}  // namespace quenby

#pragma once
// Reading and writing a log tally sheet's fields by name in the sheet tests.

#include <map>
#include <string>
#include <string_view>

#include "logtally/log_tally_sheet.h"
#include "support/utf.h"

namespace quenby {

using Snapshot = std::map<std::string, std::string>;

inline Snapshot snapshot(const LogTallySheet& s) {
  Snapshot m;
  for (const NamedField& f : s.fields()) m[toString(f.id)] = u8(f.field->text());
  return m;
}

inline std::string text(LogTallySheet& s, std::string_view name, int index = -1) {
  return u8(s.field(name, index).text());
}
inline void set(LogTallySheet& s, std::string_view name, int index, const char* t) {
  s.field(name, index).setText(u16(t));
}
inline void set(LogTallySheet& s, std::string_view name, const char* t) { s.field(name).setText(u16(t)); }

// Row 9 is diameter 20, row 6 diameter 14.
inline LogTallySheet& smallLoad(LogTallySheet& s) {
  s.count(9, 0).setText(u"3");
  s.count(6, 0).setText(u"2");
  s.unitPrice(0).setText(u"800");
  return s;
}

}  // namespace quenby

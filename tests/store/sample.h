#pragma once
// Snapshots for the store tests and their driver program: three sheets whose every text carries
// a tag, so that a snapshot mixed from two samples shows at once.

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>

#include "store/records.h"
#include "store/snapshot.h"
#include "support/sheet_keys.h"

namespace quenby::store::testing {

inline Snapshot sample(const std::u16string& tag, int fieldsPerSheet = 200) {
  Snapshot snapshot;
  for (std::string_view key : {kLogTally, kMultiLength, kSawnTimber}) {
    SheetState sheet{std::string(key), {}};
    for (int i = 0; i < fieldsPerSheet; ++i) {
      const std::string n = std::to_string(i);
      sheet.fields.push_back(
          {"Text" + std::to_string(i % 30), i / 30, tag + std::u16string(n.begin(), n.end())});
    }
    snapshot.sheets.push_back(std::move(sheet));
  }
  snapshot.shown = std::string(kMultiLength);
  return snapshot;
}

// A record of the sheet `key` holding only `fields` (the ledger takes absent fields as empty).
inline LedgerRecord record(std::string_view key, qint64 atMs, std::vector<FieldText> fields,
                           RecordState state = RecordState::Exported) {
  return {atMs, state, {std::string(key), std::move(fields)}};
}

// The store hands sheets back by key and fields by address; this puts a sample in that order.
inline Snapshot sorted(Snapshot snapshot) {
  std::sort(snapshot.sheets.begin(), snapshot.sheets.end(),
            [](const SheetState& a, const SheetState& b) { return a.key < b.key; });
  for (SheetState& sheet : snapshot.sheets)
    std::sort(sheet.fields.begin(), sheet.fields.end(), [](const FieldText& a, const FieldText& b) {
      return std::pair(a.name, a.index) < std::pair(b.name, b.index);
    });
  return snapshot;
}

}  // namespace quenby::store::testing

namespace quenby::store {

// For test failures: the sheets, their field counts and the first text of each, tag included.
inline void PrintTo(const Snapshot& snapshot, std::ostream* out) {
  *out << "{shown " << snapshot.shown;
  for (const SheetState& sheet : snapshot.sheets) {
    *out << ", " << sheet.key << ": " << sheet.fields.size() << " fields";
    if (!sheet.fields.empty())
      for (char16_t c : sheet.fields.front().text.substr(0, 20))
        *out << (c < 0x80 ? static_cast<char>(c) : '?');
  }
  *out << "}";
}

}  // namespace quenby::store

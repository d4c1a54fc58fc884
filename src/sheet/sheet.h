#pragma once
// Sheet: what every calculator sheet is made of. A sheet owns its fields, addressed by control
// name and index (Text16(5)), and its clearing rules: tables of "when any of these fields
// changes, empty field Y where field X sorts before threshold T", run in table order inside the
// change that triggers them. The buttons' work (calculate, clear) is the derived sheet's.

#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calc/field.h"
#include "sheet/cell_map.h"

namespace quenby {

enum class Compare {
  SortsBefore,         // ordinal, strictly before the threshold
  SortsBeforeOrEqual,  // ordinal, before the threshold or equal to it
};

struct ClearingRule {
  FieldId test;                   // the field whose text is compared
  std::u16string_view threshold;  // a literal: the rule keeps a view of it
  FieldId cleared;                // the field set to the empty text
  Compare compare = Compare::SortsBefore;
};

// Element addresses name(0) … name(count - 1) of a control array.
std::vector<FieldId> arrayIds(std::string_view name, int count);

class Sheet {
 public:
  virtual ~Sheet() = default;
  Sheet(const Sheet&) = delete;
  Sheet& operator=(const Sheet&) = delete;

  // Any field or combo box by address; throws std::out_of_range for an unknown one.
  Field& field(FieldId id);
  const Field& field(FieldId id) const;
  Field& field(std::string_view name, int index = -1) { return field(FieldId{name, index}); }
  // Every field with its address, in the order the sheet added them.
  const std::vector<NamedField>& fields() const { return named_; }
  // Puts back a saved text without running any listener (Field::restore); false, and nothing
  // done, for an address this sheet does not have, such as a field a later layout dropped.
  bool restore(FieldId id, std::u16string_view text);

  virtual void calculate() = 0;
  virtual void clear() = 0;

 protected:
  Sheet() = default;

  // Adds a field; `id.name` must outlive the sheet (a literal or a static table).
  Field& add(FieldId id, std::u16string_view initial = {});
  void addArray(std::string_view name, int count);
  // Whenever one of `triggers` changes, runs `rules` in order.
  void addRules(const std::vector<FieldId>& triggers, const std::vector<ClearingRule>& rules);

 private:
  struct ResolvedRule {
    const Field* test;
    std::u16string_view threshold;
    Field* cleared;
    bool orEqual;
  };
  using RuleTable = std::vector<ResolvedRule>;

  std::deque<Field> storage_;    // stable addresses
  std::deque<RuleTable> rules_;  // stable addresses: the fields' listeners point into it
  std::vector<NamedField> named_;
  std::map<std::pair<std::string_view, int>, Field*> byId_;
};

// The cells of a map with the texts their fields of `sheet` hold now.
std::vector<CellSource> resolveCellMap(const Sheet& sheet, const std::vector<CellMapEntry>& map);

}  // namespace quenby

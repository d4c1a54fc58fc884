#include "sheet/sheet.h"

#include <stdexcept>

#include "calc/numeric_text.h"

namespace quenby {

std::vector<FieldId> arrayIds(std::string_view name, int count) {
  std::vector<FieldId> ids;
  ids.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) ids.push_back({name, i});
  return ids;
}

Field& Sheet::field(FieldId id) {
  auto it = byId_.find({id.name, id.index});
  if (it == byId_.end()) throw std::out_of_range("no field " + toString(id) + " on this sheet");
  return *it->second;
}

const Field& Sheet::field(FieldId id) const { return const_cast<Sheet*>(this)->field(id); }

bool Sheet::restore(FieldId id, std::u16string_view text) {
  auto it = byId_.find({id.name, id.index});
  if (it == byId_.end()) return false;
  it->second->restore(text);
  return true;
}

Field& Sheet::add(FieldId id, std::u16string_view initial) {
  Field& f = storage_.emplace_back();
  f.restore(initial);  // no listener exists yet
  if (!byId_.emplace(std::pair{id.name, id.index}, &f).second)
    throw std::logic_error("field " + toString(id) + " added twice");
  named_.push_back({id, &f});
  return f;
}

void Sheet::addArray(std::string_view name, int count) {
  for (int i = 0; i < count; ++i) add({name, i});
}

void Sheet::addRules(const std::vector<FieldId>& triggers, const std::vector<ClearingRule>& rules) {
  RuleTable& table = rules_.emplace_back();
  for (const ClearingRule& r : rules)
    table.push_back(
        {&field(r.test), r.threshold, &field(r.cleared), r.compare == Compare::SortsBeforeOrEqual});
  // The listener holds one pointer, small enough for std::function to keep without allocating.
  auto run = [t = &table] {
    for (const ResolvedRule& r : *t) {
      const std::u16string& text = r.test->text();
      if (sortsBefore(text, r.threshold) || (r.orEqual && text == r.threshold)) r.cleared->setText(u"");
    }
  };
  for (FieldId t : triggers) field(t).onChange(run);
}

std::vector<CellSource> resolveCellMap(const Sheet& sheet, const std::vector<CellMapEntry>& map) {
  std::vector<CellSource> cells;
  cells.reserve(map.size());
  for (const CellMapEntry& e : map) cells.push_back({e.row, e.column, e.field, sheet.field(e.field).text()});
  return cells;
}

}  // namespace quenby

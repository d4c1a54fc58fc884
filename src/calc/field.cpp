#include "calc/field.h"

namespace quenby {

std::string toString(FieldId id) {
  std::string s(id.name);
  if (id.index >= 0) s += "(" + std::to_string(id.index) + ")";
  return s;
}

void Field::setText(std::u16string_view text) {
  if (text == text_) return;
  text_.assign(text);
  // Index loop: a listener may subscribe further listeners while we run.
  for (size_t i = 0; i < listeners_.size(); ++i) listeners_[i]();
}

}  // namespace quenby

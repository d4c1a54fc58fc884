#pragma once
// A single-line text field of a sheet. Its change event fires synchronously inside setText,
// nested in whatever wrote it, and only when the text really changes: the clearing rules, which
// only ever write the empty text, terminate because of that alone.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quenby {

// Stable address of a field: control name and index in its control array (-1 when the control
// is not an array), e.g. {"Text16", 5} for Text16(5).
struct FieldId {
  std::string_view name;
  int index = -1;
  friend bool operator==(const FieldId&, const FieldId&) = default;
};

std::string toString(FieldId id);  // "Text16(5)", "Text23"

class Field {
 public:
  using Listener = std::function<void()>;

  Field() = default;
  explicit Field(std::u16string initial) : text_(std::move(initial)) {}
  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;

  const std::u16string& text() const noexcept { return text_; }

  // Replaces the text; when it differs, runs every listener in order of subscription.
  void setText(std::u16string_view text);
  // Replaces the text and runs no listener: a saved sheet is put back as it was, with no rule
  // acting on the half-restored state and no widget updated until the window refreshes.
  void restore(std::u16string_view text) { text_.assign(text); }

  // Listeners read the field's current text; they may write fields themselves.
  void onChange(Listener listener) { listeners_.push_back(std::move(listener)); }

 private:
  std::u16string text_;
  std::vector<Listener> listeners_;
};

// A field of a sheet with its address, for windows and exports that walk all fields.
struct NamedField {
  FieldId id;
  Field* field;
};

}  // namespace quenby

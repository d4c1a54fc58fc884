// Drives one of the calculators' sheets (the list of descriptors) through a sequence of field writes (any
// text: empty, huge, negative, exponents, non-ASCII, lone surrogates, the text of another field),
// calculations and clears, and checks what holds whatever the user typed: a calculation ends or raises one of
// the arithmetic errors and nothing else; right after one that ended, every computed field is empty or in its
// output form; a clear sets every field it clears to its own text, leaves the others alone, and a second
// clear changes nothing. What each field should look like is written out here by name, not taken from the
// sheets. Any violation aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/error.h"
#include "sheet/calculator_spec.h"
#include "support/utf.h"
#include "text_shapes.h"

using namespace quenby;

namespace {

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "violated: %s\n", what.c_str());
  std::abort();
}

// How a computed field reads right after a calculation, besides empty.
enum class Shape { NotComputed, Plain, Decimals2, Decimals3, Decimals4 };

// What a clear does to a field: leaves it alone, or sets it to `text`.
struct AfterClear {
  bool untouched = false;
  std::u16string text;
};

struct FieldSpec {
  Shape shape = Shape::NotComputed;
  AfterClear clear;
};

// A text for a message: UTF-8, cut short.
std::string shown(const std::u16string& text) {
  std::string s = u8(text.substr(0, 60));
  return text.size() > 60 ? s + "…" : s;
}

bool is(FieldId id, std::string_view name, int low = -1, int high = -1) {
  return id.name == name && id.index >= low && id.index <= high;
}

// "Text7" -> 7; 0 for any other name.
int textNumber(std::string_view name) {
  if (name.size() < 5 || name.substr(0, 4) != "Text") return 0;
  int n = 0;
  for (char c : name.substr(4)) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n;
}

const AfterClear kEmptied{false, u""};
const AfterClear kUntouched{true, u""};

std::optional<FieldSpec> logTallySpec(FieldId id) {
  const int row = textNumber(id.name);
  if (row >= 1 && row <= 14 && id.index >= 0 && id.index <= 11) {
    switch (id.index % 3) {
      case 0: {  // diameter class: the standard one of the row
        const std::string standard = std::to_string(2 * row + 2);
        return FieldSpec{Shape::NotComputed, {false, std::u16string(standard.begin(), standard.end())}};
      }
      case 1:
        return FieldSpec{Shape::NotComputed, kEmptied};
      default:
        return FieldSpec{Shape::Decimals4, kEmptied};
    }
  }
  if (is(id, "Text16", 0, 7)) {
    const bool count = id.index == 0 || id.index == 2 || id.index == 5 || id.index == 6;
    return FieldSpec{count ? Shape::Plain : Shape::Decimals3, kEmptied};
  }
  if (is(id, "Text19", 0, 6)) {
    const Shape shapes[7] = {Shape::Decimals2, Shape::Decimals2, Shape::Decimals2, Shape::Decimals3,
                             Shape::Plain,     Shape::Decimals2, Shape::Decimals2};
    return FieldSpec{shapes[id.index], kEmptied};
  }
  if (is(id, "Text29")) return FieldSpec{Shape::Decimals2, kEmptied};
  if (is(id, "Text23")) return FieldSpec{Shape::NotComputed, {false, u"4"}};
  for (std::string_view name : {"Text17", "Text22", "Text28"})
    if (is(id, name)) return FieldSpec{Shape::NotComputed, kEmptied};
  if (is(id, "Text18", 0, 3)) return FieldSpec{Shape::NotComputed, kUntouched};
  for (std::string_view name : {"Text15", "Text26", "Text21", "Text20", "Text24", "Text25", "Text27",
                                "Combo1", "Combo2", "Combo3", "Combo4", "Combo5"})
    if (is(id, name)) return FieldSpec{Shape::NotComputed, kUntouched};
  return std::nullopt;
}

std::optional<FieldSpec> multiLengthSpec(FieldId id) {
  for (std::string_view name : {"Text1", "Text2", "Text3", "Text5"})
    if (is(id, name, 0, 18)) return FieldSpec{Shape::NotComputed, kEmptied};
  if (is(id, "Text4", 0, 18)) return FieldSpec{Shape::Decimals4, kEmptied};
  if (is(id, "Text6", 0, 18)) return FieldSpec{Shape::Decimals2, kEmptied};
  if (is(id, "Text22", 5, 5)) return FieldSpec{Shape::Plain, kEmptied};
  if (is(id, "Text22", 4, 4)) return FieldSpec{Shape::Decimals3, kEmptied};
  if (is(id, "Text22", 6, 6) || is(id, "Text22", 10, 10)) return FieldSpec{Shape::Decimals2, kEmptied};
  if (is(id, "Text22", 7, 7)) return FieldSpec{Shape::NotComputed, kEmptied};
  for (std::string_view name : {"Text27", "Text28", "Text29", "Text23"})
    if (is(id, name)) return FieldSpec{Shape::NotComputed, kEmptied};
  return std::nullopt;
}

std::optional<FieldSpec> sawnTimberSpec(FieldId id) {
  for (std::string_view name : {"Text1", "Text2", "Text3", "Text4", "Text6"})
    if (is(id, name, 0, 7)) return FieldSpec{Shape::NotComputed, kEmptied};
  if (is(id, "Text5", 0, 7)) return FieldSpec{Shape::Decimals4, kEmptied};
  if (is(id, "Text7", 0, 7)) return FieldSpec{Shape::Decimals2, kEmptied};
  // The total amount keeps four decimals.
  if (is(id, "Text8") || is(id, "Text9")) return FieldSpec{Shape::Decimals4, kEmptied};
  if (is(id, "Text10") || is(id, "Text11")) return FieldSpec{Shape::NotComputed, kEmptied};
  for (std::string_view name : {"Text12", "Text13", "Text14", "Combo1", "Combo2", "Combo3", "Combo4"})
    if (is(id, name)) return FieldSpec{Shape::NotComputed, kUntouched};
  return std::nullopt;
}

// What the fields of a calculator's sheet should look like, by the calculator's key in the list;
// nothing for a calculator this file has no table for, whose sheet is checked for its errors and
// for a second clear that changes nothing.
using Expectations = std::optional<FieldSpec> (*)(FieldId id);

Expectations expectationsOf(std::string_view key) {
  if (key == "logtally") return logTallySpec;
  if (key == "multilength") return multiLengthSpec;
  if (key == "sawn") return sawnTimberSpec;
  return nullptr;
}

FieldSpec specOf(Expectations expect, FieldId id) {
  std::optional<FieldSpec> spec = expect(id);
  if (!spec) fail("a field the sheet should not have: " + toString(id));
  return *spec;
}

bool hasShape(const std::u16string& text, Shape shape) {
  switch (shape) {
    case Shape::NotComputed:
      return true;
    case Shape::Plain:
      return fuzz::hasPlainShape(text);
    case Shape::Decimals2:
      return fuzz::hasMaskShape(text, 2);
    case Shape::Decimals3:
      return fuzz::hasMaskShape(text, 3);
    case Shape::Decimals4:
      return fuzz::hasMaskShape(text, 4);
  }
  return false;
}

std::vector<std::u16string> texts(const Sheet& sheet) {
  std::vector<std::u16string> all;
  for (const NamedField& f : sheet.fields()) all.push_back(f.field->text());
  return all;
}

// Reads the fuzz input front to back; past its end every byte reads as 0.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool done() const { return pos_ >= size_; }
  uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  // Two bytes, the first the lower. Read one after the other: the order of the operands of | or +
  // is the compiler's, and the corpus must read alike under every compiler.
  unsigned word() {
    const unsigned low = byte();
    return low | static_cast<unsigned>(byte()) << 8;
  }
  std::string bytes(size_t n) {
    n = std::min(n, size_ - std::min(pos_, size_));
    std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return s;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// Texts a user might type, and some no user should.
// clang-format off
const char* const kWords[] = {
    "", "0", "1", "3", "4", "6", "12", "20", "30", "800", "-2", " 5", "0.5", "1.5", "00", "0.0",
    "0.00", "0.0001", "0.001", "0.01", "1e3", "1E200", "1E308", "-1E308", "1D-300", "9e-320",
    "&H7FFF", "&O17", "&HFFFFFFFF", "4m", "1,5", "\t7\n", "3.4.5", ".5", "-", "-0", "杉木", "辽A12345",
    "=1+1", "1e", "99999999999999999999999", "0.00005", "1.23456", "NaN", "inf"};
// clang-format on
constexpr size_t kWordCount = sizeof kWords / sizeof kWords[0];

std::u16string makeText(Input& in, const Sheet& sheet) {
  switch (in.byte() % 6) {
    case 0:
      return u16(kWords[in.byte() % kWordCount]);
    case 1:  // raw UTF-8, malformed too
      return u16(in.bytes(in.byte() % 64));
    case 2: {  // raw UTF-16 code units, lone surrogates too
      std::u16string s;
      for (int n = in.byte() % 16; n > 0; --n) s.push_back(static_cast<char16_t>(in.word()));
      return s;
    }
    case 3: {  // huge: one word many times over
      const std::u16string word = u16(kWords[in.byte() % kWordCount]);
      std::u16string s;
      for (int n = 1 + in.byte() * 8; n > 0; --n) s += word;
      return s;
    }
    case 4: {  // a number with sign, fraction and exponent
      std::string s = in.byte() % 2 ? "-" : "";
      s += std::to_string(in.word());
      s += "." + std::to_string(in.byte());
      if (int e = in.byte() % 8) s += "E" + std::to_string(static_cast<int>(in.byte()) - 128 + e);
      return u16(s);
    }
    default:  // what another field holds, computed ones included
      return sheet.fields()[in.byte() % sheet.fields().size()].field->text();
  }
}

void calculate(Expectations expect, Sheet& sheet) {
  try {
    sheet.calculate();
  } catch (const QuenbyError& e) {
    if (!e.is(ErrorCode::Overflow) && !e.is(ErrorCode::InvalidOperation) && !e.is(ErrorCode::DivisionByZero))
      fail("calculation raised error " + std::to_string(e.number()) + ": " + e.description());
    return;  // fields written so far keep their texts: no shape holds
  }
  if (!expect) return;
  for (const NamedField& f : sheet.fields()) {
    const std::u16string& text = f.field->text();
    if (!text.empty() && !hasShape(text, specOf(expect, f.id).shape))
      fail("after a calculation " + toString(f.id) + " reads \"" + shown(text) + "\"");
  }
}

void clear(Expectations expect, Sheet& sheet) {
  const std::vector<std::u16string> before = texts(sheet);
  sheet.clear();
  for (size_t i = 0; expect && i < before.size(); ++i) {
    const NamedField& f = sheet.fields()[i];
    const AfterClear expected = specOf(expect, f.id).clear;
    const std::u16string& want = expected.untouched ? before[i] : expected.text;
    if (f.field->text() != want)
      fail("after a clear " + toString(f.id) + " reads \"" + shown(f.field->text()) + "\", not \"" +
           shown(want) + "\"");
  }
  const std::vector<std::u16string> once = texts(sheet);
  sheet.clear();
  if (texts(sheet) != once) fail("a second clear changed the sheet");
}

void run(Input& in) {
  const std::vector<const CalculatorSpec*>& calculators = calculatorList();
  const CalculatorSpec& calculator = *calculators[in.byte() % calculators.size()];
  const Expectations expect = expectationsOf(calculator.storeKey);
  std::unique_ptr<Sheet> sheet = calculator.makeSheet();
  const std::vector<NamedField>& fields = sheet->fields();
  if (expect)
    for (const NamedField& f : fields) specOf(expect, f.id);  // every field is one this file knows
  for (int steps = 0; !in.done() && steps < 256; ++steps) {
    const uint8_t op = in.byte() % 8;
    if (op == 6) {
      calculate(expect, *sheet);
    } else if (op == 7) {
      clear(expect, *sheet);
    } else {  // a write, or the same text into a run of fields as a paste down a column would
      const size_t first = in.word() % fields.size();
      const size_t count = op == 5 ? 1 + in.byte() % 32 : 1;
      const std::u16string text = makeText(in, *sheet);
      for (size_t i = first; i < first + count && i < fields.size(); ++i) fields[i].field->setText(text);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  try {
    run(in);
  } catch (const std::exception& e) {
    fail(std::string("an exception that is no numbered error: ") + e.what());
  }
  return 0;
}

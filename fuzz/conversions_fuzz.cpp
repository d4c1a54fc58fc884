// Fuzzes the conversions between text and number: reading never fails, masked output always has
// the mask's shape and reads back to within half a unit of its last decimal, plain output has its
// shape and reads back to fifteen significant digits, the ordinal comparison agrees with a
// code-unit loop, and the log volume either answers or raises the arithmetic error. Any violation
// aborts.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "calc/error.h"
#include "calc/log_volume.h"
#include "calc/numeric_text.h"
#include "support/utf.h"
#include "text_shapes.h"

using namespace quenby;
using quenby::fuzz::hasMaskShape;

namespace {

void check(bool ok, const char* what, double value) {
  if (ok) return;
  std::fprintf(stderr, "violated: %s (value %.17g)\n", what, value);
  std::abort();
}

// The ordinal order of the clearing rules, written out: code unit by code unit as unsigned
// 16-bit values, a proper prefix first.
bool unitsBefore(std::u16string_view a, std::u16string_view b) {
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] != b[i]) return static_cast<unsigned>(a[i]) < static_cast<unsigned>(b[i]);
  }
  return a.size() < b.size();
}

// Beyond this magnitude the 15-digit decimal form itself lies outside the double range, so the
// written text reads back as infinity (and the next arithmetic step raises the overflow error).
constexpr double kLargestReadable = 1.797693134862315e308;

bool readsBack(double back, double v, double tolerance) {
  if (std::isinf(back)) return std::fabs(v) > kLargestReadable;
  return std::fabs(back - v) <= tolerance;
}

void checkValue(double v) {
  if (!std::isfinite(v)) {
    bool raised = false;
    try {
      formatMasked(v, Mask::Decimals2);
    } catch (const QuenbyError&) {
      raised = true;
    }
    check(raised, "non-finite value formatted", v);
    return;
  }
  for (Mask m : {Mask::Decimals4, Mask::Decimals3, Mask::Decimals2}) {
    std::u16string s = formatMasked(v, m);
    check(hasMaskShape(s, decimalsOf(m)), "mask shape", v);
    double back = leadingNumber(s);
    double half = 0.5 * std::pow(10.0, -decimalsOf(m));
    check(readsBack(back, v, half * (1 + 1e-9) + std::fabs(v) * 1e-14), "masked read-back", v);
    check(strictNumber(s) == back, "strict read of masked output", v);
  }
  std::u16string plain = formatPlain(v);
  check(quenby::fuzz::hasPlainShape(plain), "plain shape", v);
  double back = leadingNumber(plain);
  check(readsBack(back, v, std::fabs(v) * 5e-15), "plain read-back", v);
  check(strictNumber(plain) == back, "strict read of plain output", v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::u16string utf8Text = u16(bytes);
  std::u16string rawText;
  for (size_t i = 0; i + 1 < size; i += 2)
    rawText.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));

  for (const std::u16string& text : {utf8Text, rawText}) {
    double v = leadingNumber(text);
    check(!std::isnan(v), "leading number is NaN", v);
    checkValue(v);
    try {
      double strict = strictNumber(text);
      check(strict == v || (std::isnan(strict) && std::isnan(v)), "strict and leading disagree", strict);
    } catch (const QuenbyError& e) {
      check(e.is(ErrorCode::TypeMismatch), "strict error code", v);
    }
    for (std::u16string_view threshold : {u"0", u"1", u"0.0001", u"0.001", u"0.01", u"0.00001"}) {
      check(sortsBefore(text, threshold) == unitsBefore(text, threshold), "ordinal order against a threshold",
            v);
    }
    const std::u16string_view head = std::u16string_view(text).substr(0, text.size() / 2);
    check(sortsBefore(head, text) == unitsBefore(head, text), "ordinal order against a prefix", v);
  }
  check(sortsBefore(utf8Text, rawText) == unitsBefore(utf8Text, rawText), "ordinal order of two texts", 0);
  check(sortsBefore(rawText, utf8Text) == unitsBefore(rawText, utf8Text), "ordinal order of two texts", 0);

  // Three fields of a tally line cut from the text at its first two '|'.
  size_t a = bytes.find('|'), b = a == std::string::npos ? a : bytes.find('|', a + 1);
  if (b != std::string::npos) {
    try {
      auto volume =
          lineVolume(u16(bytes.substr(0, a)), u16(bytes.substr(a + 1, b - a - 1)), u16(bytes.substr(b + 1)));
      if (volume) check(hasMaskShape(*volume, 4), "line volume shape", leadingNumber(*volume));
    } catch (const QuenbyError& e) {
      check(e.is(ErrorCode::Overflow) || e.is(ErrorCode::InvalidOperation), "line volume error", 0);
    }
  }
  return 0;
}

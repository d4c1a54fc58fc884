#include "calc/numeric_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "calc/error.h"
#include "calc/field.h"

namespace quenby {
namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int digitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Walks a text character by character; in lenient mode blanks, tabs and line feeds are
// invisible wherever they stand.
class Cursor {
 public:
  Cursor(std::u16string_view s, bool lenient) : s_(s), lenient_(lenient) {}
  char16_t peek() {
    if (lenient_)
      while (i_ < s_.size() && (s_[i_] == u' ' || s_[i_] == u'\t' || s_[i_] == u'\n')) ++i_;
    return i_ < s_.size() ? s_[i_] : u'\0';
  }
  bool atEnd() {
    peek();
    return i_ >= s_.size();
  }
  void next() { ++i_; }
  size_t position() const { return i_; }
  void reset(size_t position) { i_ = position; }

 private:
  std::u16string_view s_;
  bool lenient_;
  size_t i_ = 0;
};

constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A decimal number as read: sign, significant digits and the power of ten of the last one.
struct Decimal {
  bool negative = false;
  int count = 0;           // significant digits, leading zeros dropped
  std::uint64_t head = 0;  // the first 15 of them as an integer
  std::string all;         // all of them, kept only from the 16th on
  long exponent = 0;       // value = digits × 10^exponent

  void push(char digit) {
    if (count < 15) {
      head = head * 10 + (digit - '0');
    } else {
      if (count == 15) all = std::to_string(head);
      all.push_back(digit);
    }
    ++count;
  }

  double value() const {
    double v;
    if (count == 0) {
      v = 0;
    } else if (count <= 15 && exponent >= -22 && exponent <= 22) {
      // Both factors are exact doubles, so one rounding gives the correctly rounded value.
      const double m = static_cast<double>(head);
      v = exponent >= 0 ? m * kExactPowersOfTen[exponent] : m / kExactPowersOfTen[-exponent];
    } else {
      std::string text = (count <= 15 ? std::to_string(head) : all) + 'e' + std::to_string(exponent);
      auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
      if (ec == std::errc::result_out_of_range) {
        long magnitude = exponent + count;  // value < 10^magnitude
        v = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
      }
    }
    return negative ? -v : v;
  }
};

// Sign, digits with at most one full stop, and an E or D exponent. Nothing when no mantissa digit
// comes; the cursor then stands where it started.
std::optional<Decimal> scanDecimal(Cursor& c) {
  const size_t start = c.position();
  Decimal d;
  if (c.peek() == u'+' || c.peek() == u'-') {
    d.negative = c.peek() == u'-';
    c.next();
  }
  bool anyDigit = false, point = false;
  long afterPoint = 0;
  for (;; c.next()) {
    char16_t ch = c.peek();
    if (isDigit(ch)) {
      anyDigit = true;
      if (d.count > 0 || ch != u'0') d.push(static_cast<char>(ch));
      if (point) ++afterPoint;
    } else if (ch == u'.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!anyDigit) {
    c.reset(start);
    return std::nullopt;
  }
  long exponent = 0;
  char16_t e = c.peek();
  if (e == u'E' || e == u'e' || e == u'D' || e == u'd') {
    const size_t mark = c.position();
    c.next();
    bool negative = false;
    if (c.peek() == u'+' || c.peek() == u'-') {
      negative = c.peek() == u'-';
      c.next();
    }
    if (isDigit(c.peek())) {
      for (; isDigit(c.peek()); c.next())
        exponent = std::min<long>(exponent * 10 + (c.peek() - u'0'), 100000000L);
      if (negative) exponent = -exponent;
    } else {
      c.reset(mark);  // a letter without exponent digits is not part of the number
    }
  }
  d.exponent = exponent - afterPoint;
  return d;
}

// &H hex or &O octal digits, read as a non-negative integer. Nothing when neither prefix comes.
std::optional<double> scanRadix(Cursor& c, bool* anyDigit) {
  const size_t start = c.position();
  if (c.peek() != u'&') return std::nullopt;
  c.next();
  int base = 0;
  if (c.peek() == u'H' || c.peek() == u'h') base = 16;
  if (c.peek() == u'O' || c.peek() == u'o') base = 8;
  if (base == 0) {
    c.reset(start);
    return std::nullopt;
  }
  c.next();
  double value = 0;
  *anyDigit = false;
  for (int d; (d = digitValue(c.peek())) >= 0 && d < base; c.next()) {
    value = value * base + d;
    *anyDigit = true;
  }
  return value;
}

[[noreturn]] void raiseNotFinite(double value) {
  raise(std::isnan(value) ? ErrorCode::InvalidOperation : ErrorCode::Overflow);
}

// The value's decimal form with 15 significant digits: digits "d1…d15" and the exponent of d1.
struct Decimal15 {
  char digits[15];
  int exponent;
};

Decimal15 decimal15(double magnitude) {
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
  (void)ec;
  Decimal15 d{};
  int k = 0;
  const char* p = buf;
  for (; p < end && *p != 'e'; ++p)
    if (*p != '.') d.digits[k++] = *p;
  int e = 0;
  std::from_chars(p + 1 + (p[1] == '+'), end, e);
  d.exponent = e;
  return d;
}

}  // namespace

double leadingNumber(std::u16string_view text) {
  Cursor c(text, true);
  bool anyDigit;
  if (auto radix = scanRadix(c, &anyDigit)) return *radix;
  if (auto d = scanDecimal(c)) return d->value();
  return 0.0;
}

double number(const Field& field) { return leadingNumber(field.text()); }

double strictNumber(std::u16string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == u' ' || text[b] == u'\t')) ++b;
  while (e > b && (text[e - 1] == u' ' || text[e - 1] == u'\t')) --e;
  Cursor c(text.substr(b, e - b), false);
  bool anyDigit = false;
  if (auto radix = scanRadix(c, &anyDigit)) {
    if (anyDigit && c.atEnd()) return *radix;
  } else if (auto d = scanDecimal(c); d && c.atEnd()) {
    return d->value();
  }
  raise(ErrorCode::TypeMismatch);
}

int decimalsOf(Mask mask) {
  switch (mask) {
    case Mask::Decimals4:
      return 4;
    case Mask::Decimals3:
      return 3;
    case Mask::Decimals2:
      return 2;
  }
  return 0;
}

std::u16string formatMasked(double value, Mask mask) {
  if (!std::isfinite(value)) raiseNotFinite(value);
  const int decimals = decimalsOf(mask);
  // Digits of |value| down to 10^-decimals, taken from its 15-significant-digit decimal form and
  // rounded half away from zero there. At most 309 integer digits.
  char fixed[400];
  int n = 0;
  if (value != 0) {
    Decimal15 d = decimal15(std::fabs(value));
    // Digit i of d has weight 10^(exponent - i); keep those with weight >= 10^-decimals.
    const int keep = d.exponent + decimals + 1;
    if (keep >= 0) {
      for (; n < keep; ++n) fixed[n] = n < 15 ? d.digits[n] : '0';
      if (keep < 15 && d.digits[keep] >= '5') {
        int i = n - 1;
        for (; i >= 0 && fixed[i] == '9'; --i) fixed[i] = '0';
        if (i >= 0) {
          ++fixed[i];
        } else {
          std::memmove(fixed + 1, fixed, n++);
          fixed[0] = '1';
        }
      }
    }
  }
  if (n < decimals + 1) {  // at least one digit before the point
    const int pad = decimals + 1 - n;
    std::memmove(fixed + pad, fixed, n);
    std::memset(fixed, '0', pad);
    n += pad;
  }
  const bool zero = std::all_of(fixed, fixed + n, [](char c) { return c == '0'; });

  std::u16string out;
  out.reserve(n + 2);
  if (value < 0 && !zero) out.push_back(u'-');
  out.append(fixed, fixed + n - decimals);
  out.push_back(u'.');
  out.append(fixed + n - decimals, fixed + n);
  return out;
}

std::u16string formatPlain(double value) {
  if (!std::isfinite(value)) raiseNotFinite(value);
  if (value == 0) return u"0";
  Decimal15 d = decimal15(std::fabs(value));
  int significant = 15;
  while (significant > 1 && d.digits[significant - 1] == '0') --significant;

  std::string s;
  if (value < 0) s.push_back('-');
  if (d.exponent >= 15 || d.exponent < -4) {
    s.push_back(d.digits[0]);
    if (significant > 1) {
      s.push_back('.');
      s.append(d.digits + 1, significant - 1);
    }
    s += d.exponent < 0 ? "E-" : "E+";
    std::string e = std::to_string(std::abs(d.exponent));
    if (e.size() < 2) e = "0" + e;
    s += e;
  } else if (d.exponent < 0) {
    s += "0.";
    s.append(-d.exponent - 1, '0');
    s.append(d.digits, significant);
  } else {
    int integerDigits = d.exponent + 1;
    for (int i = 0; i < integerDigits; ++i) s.push_back(i < significant ? d.digits[i] : '0');
    if (significant > integerDigits) {
      s.push_back('.');
      s.append(d.digits + integerDigits, significant - integerDigits);
    }
  }
  return std::u16string(s.begin(), s.end());
}

namespace checked {
namespace {
double check(double result) {
  if (!std::isfinite(result)) raiseNotFinite(result);
  return result;
}
}  // namespace

double add(double a, double b) { return check(a + b); }
double sub(double a, double b) { return check(a - b); }
double mul(double a, double b) { return check(a * b); }
double div(double a, double b) {
  if (b == 0 && std::isfinite(a) && a != 0) raise(ErrorCode::DivisionByZero);
  return check(a / b);
}
}  // namespace checked

}  // namespace quenby

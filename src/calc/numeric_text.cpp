#include "calc/numeric_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "calc/error.h"

namespace quenby {
namespace {

bool ignorable(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n'; }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// The parts of a decimal number as read from text: sign, mantissa digits with the position of
// the decimal point, and the exponent.
struct Scanned {
  bool negative = false;
  std::string digits;        // mantissa digits, point removed
  int pointPosition = 0;     // number of mantissa digits before the point
  long exponent = 0;         // saturated well beyond the double range
  size_t end = 0;            // index after the last character used
};

// Reads sign, digits, one full stop and an E/D exponent from `s` (no ignorable characters).
// Returns nothing when no mantissa digit was found.
std::optional<Scanned> scanDecimal(std::u16string_view s) {
  Scanned r;
  size_t i = 0;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) r.negative = s[i++] == u'-';
  bool point = false;
  for (; i < s.size(); ++i) {
    if (isDigit(s[i])) {
      r.digits.push_back(static_cast<char>(s[i]));
      if (!point) ++r.pointPosition;
    } else if (s[i] == u'.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (r.digits.empty()) return std::nullopt;
  r.end = i;
  if (i < s.size() && (s[i] == u'E' || s[i] == u'e' || s[i] == u'D' || s[i] == u'd')) {
    size_t j = i + 1;
    bool negativeExponent = false;
    if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) negativeExponent = s[j++] == u'-';
    if (j < s.size() && isDigit(s[j])) {
      long e = 0;
      for (; j < s.size() && isDigit(s[j]); ++j) e = std::min<long>(e * 10 + (s[j] - u'0'), 100000000L);
      r.exponent = negativeExponent ? -e : e;
      r.end = j;
    }
  }
  return r;
}

// Reads &H hex or &O octal digits at `s` (which starts with '&'). Nothing when neither follows.
std::optional<std::pair<double, size_t>> scanRadix(std::u16string_view s) {
  if (s.size() < 2 || s[0] != u'&') return std::nullopt;
  int base = 0;
  if (s[1] == u'H' || s[1] == u'h') base = 16;
  if (s[1] == u'O' || s[1] == u'o') base = 8;
  if (base == 0) return std::nullopt;
  double value = 0;
  size_t i = 2;
  for (; i < s.size(); ++i) {
    int d = hexDigit(s[i]);
    if (d < 0 || d >= base) break;
    value = value * base + d;
  }
  return std::make_pair(value, i);
}

double toDouble(const Scanned& n) {
  // Strip leading zeros so that the decimal magnitude is known when from_chars reports a range
  // error; the magnitude decides between infinity and zero.
  size_t first = n.digits.find_first_not_of('0');
  if (first == std::string::npos) return n.negative ? -0.0 : 0.0;
  std::string text = n.digits.substr(first);
  long exponent = n.exponent + n.pointPosition - static_cast<long>(n.digits.size());
  text += 'e';
  text += std::to_string(exponent);
  double value = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    long magnitude = exponent + static_cast<long>(n.digits.size() - first);  // value < 10^magnitude
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return n.negative ? -value : value;
}

std::u16string withoutIgnorable(std::u16string_view text) {
  std::u16string s;
  s.reserve(text.size());
  for (char16_t c : text)
    if (!ignorable(c)) s.push_back(c);
  return s;
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
  std::u16string s = withoutIgnorable(text);
  if (auto radix = scanRadix(s)) return radix->first;
  if (auto n = scanDecimal(s)) return toDouble(*n);
  return 0.0;
}

double strictNumber(std::u16string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == u' ' || text[b] == u'\t')) ++b;
  while (e > b && (text[e - 1] == u' ' || text[e - 1] == u'\t')) --e;
  std::u16string_view s = text.substr(b, e - b);
  if (auto radix = scanRadix(s); radix && radix->second == s.size() && s.size() > 2) return radix->first;
  if (auto n = scanDecimal(s); n && n->end == s.size()) return toDouble(*n);
  raise(ErrorCode::TypeMismatch);
}

int decimalsOf(Mask mask) {
  switch (mask) {
    case Mask::Decimals4: return 4;
    case Mask::Decimals3: return 3;
    case Mask::Decimals2: return 2;
  }
  return 0;
}

std::u16string formatMasked(double value, Mask mask) {
  if (!std::isfinite(value)) raiseNotFinite(value);
  const int decimals = decimalsOf(mask);
  // Fixed-point digits of |value| at 10^-decimals, from the 15-digit decimal form, rounded half
  // away from zero there.
  std::string fixed;  // all digits, the last `decimals` of them after the point
  if (value != 0) {
    Decimal15 d = decimal15(std::fabs(value));
    // Digit i of d has weight 10^(exponent - i); keep those with weight >= 10^-decimals.
    int keep = d.exponent + decimals + 1;
    if (keep >= 0) {
      for (int i = 0; i < std::min(keep, 15); ++i) fixed.push_back(d.digits[i]);
      for (int i = 15; i < keep; ++i) fixed.push_back('0');
      if (keep < 15 && d.digits[keep] >= '5') {
        int i = static_cast<int>(fixed.size()) - 1;
        for (; i >= 0 && fixed[i] == '9'; --i) fixed[i] = '0';
        if (i >= 0)
          ++fixed[i];
        else
          fixed.insert(fixed.begin(), '1');
      }
    }
  }
  if (fixed.size() < static_cast<size_t>(decimals) + 1) fixed.insert(0, decimals + 1 - fixed.size(), '0');
  bool zero = fixed.find_first_not_of('0') == std::string::npos;

  std::u16string out;
  out.reserve(fixed.size() + 2);
  if (value < 0 && !zero) out.push_back(u'-');
  size_t integerDigits = fixed.size() - decimals;
  for (size_t i = 0; i < fixed.size(); ++i) {
    if (i == integerDigits) out.push_back(u'.');
    out.push_back(static_cast<char16_t>(fixed[i]));
  }
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
    if (e.size() < 2) e.insert(0, "0");
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

std::u16string u16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    char32_t cp;
    int len;
    if (c < 0x80) {
      cp = c, len = 1;
    } else if ((c >> 5) == 6) {
      cp = c & 0x1F, len = 2;
    } else if ((c >> 4) == 14) {
      cp = c & 0x0F, len = 3;
    } else if ((c >> 3) == 30) {
      cp = c & 0x07, len = 4;
    } else {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    if (i + len > utf8.size()) {
      out.push_back(u'\uFFFD');
      break;
    }
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(utf8[i + k]);
      if ((cc >> 6) != 2) ok = false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    i += ok ? len : 1;
    if (!ok || cp > 0x10FFFF) {
      out.push_back(u'\uFFFD');
    } else if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string u8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size() * 3);
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t cp = utf16[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace quenby

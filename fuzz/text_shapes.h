#pragma once
// The shapes of the texts the sheets write, checked character by character without the
// conversions that produce them: masked output ("0.000") and plain output for counts.

#include <string>

namespace quenby::fuzz {

inline bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// -?digits.digits with exactly `decimals` digits after the point and at least one before it.
inline bool hasMaskShape(const std::u16string& s, int decimals) {
  size_t i = s.size() > 0 && s[0] == u'-' ? 1 : 0;
  size_t digitsBefore = 0;
  for (; i < s.size() && isDigit(s[i]); ++i) ++digitsBefore;
  if (digitsBefore == 0 || i >= s.size() || s[i] != u'.') return false;
  size_t after = 0;
  for (++i; i < s.size() && isDigit(s[i]); ++i) ++after;
  return i == s.size() && after == static_cast<size_t>(decimals);
}

// A count as the plain output writes it: an optional minus, no leading zero but a lone one before
// the point, a fraction without trailing zeros, at most 15 significant digits; from 1E15 on and
// for small values one digit, the fraction and an exponent of sign and at least two digits.
inline bool hasPlainShape(const std::u16string& s) {
  size_t i = s.size() > 0 && s[0] == u'-' ? 1 : 0;
  const size_t intStart = i;
  for (; i < s.size() && isDigit(s[i]); ++i) {
  }
  const size_t intDigits = i - intStart;
  if (intDigits == 0 || (intDigits > 1 && s[intStart] == u'0')) return false;
  size_t fracDigits = 0;
  if (i < s.size() && s[i] == u'.') {
    for (++i; i < s.size() && isDigit(s[i]); ++i) ++fracDigits;
    if (fracDigits == 0 || s[i - 1] == u'0') return false;
  }
  // Significant digits: from the first non-zero one.
  size_t significant = 0;
  bool started = false;
  for (size_t k = intStart; k < i; ++k) {
    if (s[k] == u'.') continue;
    started = started || s[k] != u'0';
    if (started) ++significant;
  }
  if (significant > 15) return false;
  if (i == s.size()) return !(s[0] == u'-' && !started);  // no "-0"
  if (s[i] != u'E' || intDigits != 1 || s[intStart] == u'0') return false;
  if (++i >= s.size() || (s[i] != u'+' && s[i] != u'-')) return false;
  size_t expDigits = 0;
  for (++i; i < s.size() && isDigit(s[i]); ++i) ++expDigits;
  return i == s.size() && expDigits >= 2;
}

}  // namespace quenby::fuzz

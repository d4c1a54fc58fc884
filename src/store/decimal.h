#pragma once
// The ledger's totals are sums of the texts as shown, exact to the last digit: a text that is a
// plain decimal number is also kept as a whole number of ten-thousandths, which the database sums
// without the drift of binary floating point, together with the number of decimals it shows, so
// that a sum is shown with as many decimals as its rows carry.

#include <QString>
#include <optional>
#include <string_view>

namespace quenby::store {

// Units are ten-thousandths: the most decimals any sheet writes (line and sawn volumes).
inline constexpr int kUnitDecimals = 4;
inline constexpr qint64 kUnitsPerOne = 10'000;
// A plain decimal counts when its whole part has at most this many digits: a sum of 9,000 rows at
// the limit still fits the database's 64-bit integers.
inline constexpr int kWholeDigits = 11;

struct Decimal {
  qint64 units;  // the value in ten-thousandths
  int scale;     // decimals as the text shows them, 0 … kUnitDecimals
  friend bool operator==(const Decimal&, const Decimal&) = default;
};

// The value of a plain decimal text: an optional minus sign, digits, and optionally a full stop
// with up to four digits ("12", "-0.5", "3.1416"). Anything else ("", " 1", "1E+16", "1.", ".5",
// "1.23456", "abc") has no value and adds nothing to a sum.
std::optional<Decimal> plainDecimal(std::u16string_view text);

// `units` written with `scale` decimals, exactly: (123450, 3) -> "12.345".
QString formatUnits(qint64 units, int scale);

}  // namespace quenby::store

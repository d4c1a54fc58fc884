#include "store/decimal.h"

#include <cstdlib>

namespace quenby::store {

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

std::optional<Decimal> plainDecimal(std::u16string_view text) {
  const bool negative = !text.empty() && text.front() == u'-';
  if (negative) text.remove_prefix(1);
  const size_t point = text.find(u'.');
  const std::u16string_view whole = text.substr(0, point);
  const std::u16string_view fraction =
      point == std::u16string_view::npos ? std::u16string_view() : text.substr(point + 1);
  if (whole.empty() || whole.size() > static_cast<size_t>(kWholeDigits)) return std::nullopt;
  if (point != std::u16string_view::npos && (fraction.empty() || fraction.size() > kUnitDecimals))
    return std::nullopt;
  qint64 units = 0;
  for (char16_t c : whole) {
    if (!isDigit(c)) return std::nullopt;
    units = units * 10 + (c - u'0');
  }
  for (int i = 0; i < kUnitDecimals; ++i) {
    const size_t at = static_cast<size_t>(i);
    if (at < fraction.size() && !isDigit(fraction[at])) return std::nullopt;
    units = units * 10 + (at < fraction.size() ? fraction[at] - u'0' : 0);
  }
  return Decimal{negative ? -units : units, static_cast<int>(fraction.size())};
}

QString formatUnits(qint64 units, int scale) {
  // Sums are built from values of at most kWholeDigits digits, far from the negative limit.
  const qint64 magnitude = std::llabs(units);
  QString text = QString::number(magnitude / kUnitsPerOne);
  if (scale > 0) {
    const QString fraction = QString::number(magnitude % kUnitsPerOne).rightJustified(kUnitDecimals, u'0');
    text += u'.' + fraction.left(scale);
  }
  return units < 0 ? u'-' + text : text;
}

}  // namespace quenby::store

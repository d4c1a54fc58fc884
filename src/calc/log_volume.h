#pragma once
// CaiJiJiSuan: the volume of one tally line of round logs (one diameter class, one length),
// shared by the log tally and the multi-length sheets.

#include <optional>
#include <string>

#include "calc/field.h"

namespace quenby {

// Reads diameter class (cm), piece count and length (m) from the three fields by the
// leading-number rule. Returns the line volume in m³ with four decimals, or no value for a log
// over 10 m long with a diameter of 7 cm or less. Raises the arithmetic error on overflow.
std::optional<std::u16string> CaiJiJiSuan(const Field& jingji, const Field& jianshu, const Field& caichang);

// The single-log step: which of the six branches applies and the single-log volume as rounded
// text ("0.160", "0.0201"). No value where no branch applies.
struct SingleLog {
  int branch;  // 1 … 6
  std::u16string text;
};
std::optional<SingleLog> singleLogVolume(double diameter, double length);

// The same as CaiJiJiSuan on plain texts, for tables and benchmarks.
std::optional<std::u16string> lineVolume(std::u16string_view diameter, std::u16string_view count,
                                         std::u16string_view length);

}  // namespace quenby

#include "calc/log_volume.h"

#include "calc/numeric_text.h"

namespace quenby {

std::optional<SingleLog> singleLogVolume(double D, double L) {
  using namespace checked;

  enum class Formula { ShortLong, SmallDiameter, LargeDiameter };
  struct Branch {
    Formula formula;
    Mask mask;
  };
  static constexpr Branch kBranches[] = {
      {Formula::ShortLong, Mask::Decimals4},     {Formula::ShortLong, Mask::Decimals3},
      {Formula::SmallDiameter, Mask::Decimals4}, {Formula::SmallDiameter, Mask::Decimals3},
      {Formula::LargeDiameter, Mask::Decimals3}, {Formula::ShortLong, Mask::Decimals3},
  };
  int branch;
  if (L < 2 && D <= 7) {
    branch = 1;
  } else if (L < 2) {
    branch = 2;
  } else if (L <= 10 && D <= 7) {
    branch = 3;
  } else if (L <= 10 && D <= 13) {
    branch = 4;
  } else if (L <= 10) {
    branch = 5;
  } else if (D > 7) {
    branch = 6;
  } else {
    return std::nullopt;  // a long log of a small diameter class has no tabled volume
  }
  const auto [formula, mask] = kBranches[branch - 1];

  // Every step is evaluated in this order; the last bit of a volume depends on it.
  double v = 0;
  switch (formula) {
    case Formula::ShortLong: {
      double a = add(mul(0.5, L), D);
      v = div(mul(mul(a, a), mul(0.8, L)), 10000);
      break;
    }
    case Formula::SmallDiameter: {
      double a = add(add(mul(0.45, L), D), 0.2);
      v = div(mul(mul(a, a), mul(0.7854, L)), 10000);
      break;
    }
    case Formula::LargeDiameter: {
      double t = sub(14, L);
      double x = mul(mul(mul(t, t), mul(0.000125, L)), sub(D, 10));
      double a = add(add(mul(0.005, mul(L, L)), add(mul(0.5, L), D)), x);
      v = div(mul(mul(a, a), mul(0.7854, L)), 10000);
      break;
    }
  }
  return SingleLog{branch, formatMasked(v, mask)};
}

std::optional<std::u16string> lineVolume(std::u16string_view diameter, std::u16string_view count,
                                         std::u16string_view length) {
  const double D = leadingNumber(diameter);
  const double N = leadingNumber(count);
  const double L = leadingNumber(length);
  auto single = singleLogVolume(D, L);
  if (!single) return std::nullopt;
  // The count multiplies the rounded single-log volume, read back from its text.
  return formatMasked(checked::mul(strictNumber(single->text), N), Mask::Decimals4);
}

std::optional<std::u16string> CaiJiJiSuan(const Field& jingji, const Field& jianshu, const Field& caichang) {
  return lineVolume(jingji.text(), jianshu.text(), caichang.text());
}

}  // namespace quenby

#include "sawn/sawn_timber_sheet.h"

#include <vector>

#include "calc/numeric_text.h"

namespace quenby {

namespace {

// Threshold texts of the clearing rules; the comparison is ordinal, not numeric.
constexpr std::u16string_view kHundredThousandth = u"0.00001";
constexpr std::u16string_view kHundredth = u"0.01";

constexpr std::array<std::string_view, SawnTimberSheet::kColumns> kLineArrays = {
    "Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7"};

// Each field of the array emptied when its own text sorts before `threshold`.
std::vector<ClearingRule> eachBelow(std::string_view array, std::u16string_view threshold) {
  std::vector<ClearingRule> rules;
  for (int r = 0; r < SawnTimberSheet::kLines; ++r) rules.push_back({{array, r}, threshold, {array, r}});
  return rules;
}

}  // namespace

std::string_view SawnTimberSheet::lineArray(int column) { return kLineArrays.at(column - 1); }

SawnTimberSheet::SawnTimberSheet() {
  for (int c = 0; c < kColumns; ++c)
    for (int r = 0; r < kLines; ++r) lines_[c][r] = &add({kLineArrays[c], r});
  for (std::string_view name : {"Text8", "Text9", "Text10", "Text11", "Text12", "Text13", "Text14"})
    add({name});
  add({"Combo1"}, u"联系人");
  add({"Combo2"}, u"车号");
  add({"Combo3"}, u"购货单位");
  add({"Combo4"}, u"出货单位");

  // Zero, negative and baseless results show as empty fields; whichever line changed, all eight
  // are checked.
  addRules(arrayIds("Text5", kLines), eachBelow("Text5", kHundredThousandth));
  addRules(arrayIds("Text7", kLines), eachBelow("Text7", kHundredth));
  addRules({{"Text8"}}, {{{"Text8"}, kHundredThousandth, {"Text8"}}});
  addRules({{"Text9"}}, {{{"Text9"}, kHundredth, {"Text9"}}});
}

SawnTimberRow SawnTimberSheet::line(int r) {
  auto f = [this, r](int column) -> Field& { return *lines_.at(column).at(r); };
  return {f(0), f(1), f(2), f(3), f(4), f(5), f(6)};
}

void SawnTimberSheet::calculate() {
  using checked::add;
  using checked::div;
  using checked::mul;

  for (int r = 0; r < kLines; ++r) {
    SawnTimberRow l = line(r);
    // Width times length, times thickness, times pieces, divided last: the order decides where a
    // product of huge factors overflows.
    const double v =
        div(mul(mul(mul(number(l.width), number(l.length)), number(l.thickness)), number(l.pieces)), 1000000);
    l.volume.setText(formatMasked(v, Mask::Decimals4));
  }
  // Each amount from the volume as shown, after its rule may have emptied it.
  for (int r = 0; r < kLines; ++r) {
    SawnTimberRow l = line(r);
    l.amount.setText(formatMasked(mul(number(l.unitPrice), number(l.volume)), Mask::Decimals2));
  }
  double volume = 0, amount = 0;
  for (int r = 0; r < kLines; ++r) volume = add(volume, number(line(r).volume));
  totalVolume().setText(formatMasked(volume, Mask::Decimals4));
  for (int r = 0; r < kLines; ++r) amount = add(amount, number(line(r).amount));
  // The total amount keeps four decimals, unlike the line amounts.
  totalAmount().setText(formatMasked(amount, Mask::Decimals4));
}

void SawnTimberSheet::clear() {
  for (const auto& column : lines_)
    for (Field* f : column) f->setText(u"");
  for (std::string_view name : {"Text10", "Text11", "Text8", "Text9"}) field(name).setText(u"");
}

}  // namespace quenby

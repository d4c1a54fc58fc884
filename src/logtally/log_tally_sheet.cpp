#include "logtally/log_tally_sheet.h"

#include <string>

#include "calc/log_volume.h"
#include "calc/numeric_text.h"

namespace quenby {

std::u16string standardDiameter(int row) {
  std::string s = std::to_string(2 * row + 2);
  return std::u16string(s.begin(), s.end());
}

namespace {
// Threshold texts of the clearing rules; the comparison is ordinal, not numeric.
constexpr std::u16string_view kZero = u"0";
constexpr std::u16string_view kOne = u"1";
constexpr std::u16string_view kTenThousandth = u"0.0001";
constexpr std::u16string_view kThousandth = u"0.001";

constexpr std::array<int, 4> kCountSubtotal = {0, 2, 5, 6};
constexpr std::array<int, 4> kVolumeSubtotal = {1, 3, 4, 7};
constexpr std::array<int, 4> kAmount = {0, 1, 5, 6};
constexpr std::array<std::string_view, 4> kLength = {"Text23", "Text15", "Text26", "Text21"};

// A group with less than one piece shows neither subtotal.
const std::vector<ClearingRule> kSubtotalRules = {
    {{"Text16", 0}, kOne, {"Text16", 0}}, {{"Text16", 0}, kOne, {"Text16", 1}},
    {{"Text16", 2}, kOne, {"Text16", 2}}, {{"Text16", 2}, kOne, {"Text16", 3}},
    {{"Text16", 5}, kOne, {"Text16", 4}}, {{"Text16", 6}, kOne, {"Text16", 7}},
    {{"Text16", 5}, kOne, {"Text16", 5}}, {{"Text16", 6}, kOne, {"Text16", 6}},
};

// Amounts without a price and zero totals are blanked. Group 0 keeps an amount at price "0".
const std::vector<ClearingRule> kAmountRules = {
    {{"Text18", 0}, kZero, {"Text19", 0}},          {{"Text18", 1}, kTenThousandth, {"Text19", 1}},
    {{"Text18", 2}, kTenThousandth, {"Text19", 5}}, {{"Text18", 3}, kTenThousandth, {"Text19", 6}},
    {{"Text19", 2}, kTenThousandth, {"Text19", 2}}, {{"Text19", 3}, kTenThousandth, {"Text19", 3}},
    {{"Text19", 4}, kTenThousandth, {"Text19", 4}},
};

const std::vector<ClearingRule> kAverageAmountRules = {{{"Text29"}, kThousandth, {"Text29"}}};

}  // namespace

std::string_view LogTallySheet::rowArray(int row) {
  static constexpr std::string_view kNames[kRows] = {"Text1",  "Text2",  "Text3",  "Text4", "Text5",
                                                     "Text6",  "Text7",  "Text8",  "Text9", "Text10",
                                                     "Text11", "Text12", "Text13", "Text14"};
  return kNames[row - 1];
}

LogTallySheet::LogTallySheet() {
  for (int r = 1; r <= kRows; ++r)
    for (int i = 0; i < kColumns; ++i)
      grid_[r - 1][i] = &add({rowArray(r), i}, i % 3 == 0 ? standardDiameter(r) : u"");
  for (int i = 0; i < 8; ++i) text16_[i] = &add({"Text16", i});
  for (int i = 0; i < 4; ++i) text18_[i] = &add({"Text18", i});
  for (int i = 0; i < 7; ++i) text19_[i] = &add({"Text19", i});
  for (std::string_view name : {"Text15", "Text17", "Text20", "Text21", "Text22"}) add({name});
  add({"Text23"}, u"4");
  for (std::string_view name : {"Text24", "Text25", "Text26", "Text27", "Text28", "Text29"}) add({name});
  add({"Combo1"}, u"联系人");
  add({"Combo2"}, u"车号");
  add({"Combo3"}, u"原木计算");
  add({"Combo4"}, u"购货单位");
  add({"Combo5"}, u"出货单位");

  // A volume with no pieces behind it (a count sorting at or before "0") is blanked, in all four
  // groups of the row, whenever any cell of the row changes.
  for (int r = 1; r <= kRows; ++r) {
    std::vector<ClearingRule> row;
    for (int g = 0; g < kGroups; ++g)
      row.push_back({{rowArray(r), 3 * g + 1}, kZero, {rowArray(r), 3 * g + 2}, Compare::SortsBeforeOrEqual});
    addRules(arrayIds(rowArray(r), kColumns), row);
  }
  addRules(arrayIds("Text16", 8), kSubtotalRules);
  addRules(arrayIds("Text19", 7), kAmountRules);
  addRules({{"Text29"}}, kAverageAmountRules);
}

Field& LogTallySheet::length(int group) { return field(kLength.at(group)); }
Field& LogTallySheet::countSubtotal(int group) { return *text16_[kCountSubtotal.at(group)]; }
Field& LogTallySheet::volumeSubtotal(int group) { return *text16_[kVolumeSubtotal.at(group)]; }
Field& LogTallySheet::unitPrice(int group) { return *text18_.at(group); }
Field& LogTallySheet::amount(int group) { return *text19_[kAmount.at(group)]; }

void LogTallySheet::calculate() {
  using checked::add;
  using checked::mul;
  // Row 1 to row 14 in order.
  auto columnSum = [](auto&& fieldOfRow) {
    double sum = 0;
    for (int r = 1; r <= kRows; ++r) sum = add(sum, number(fieldOfRow(r)));
    return sum;
  };
  auto pieces = [&](int g) { return columnSum([&](int r) -> Field& { return count(r, g); }); };
  auto cubicMetres = [&](int g) { return columnSum([&](int r) -> Field& { return volume(r, g); }); };
  auto product = [](const Field& a, const Field& b) { return mul(number(a), number(b)); };
  auto sum4 = [](const Field& a, const Field& b, const Field& c, const Field& d) {
    return add(add(add(number(a), number(b)), number(c)), number(d));
  };

  // Line volumes, group by group, top to bottom.
  for (int g = 0; g < kGroups; ++g) {
    Field& l = length(g);
    for (int r = 1; r <= kRows; ++r)
      volume(r, g).setText(CaiJiJiSuan(diameter(r, g), count(r, g), l).value_or(u""));
  }

  // Each operand is read from its field as the earlier writes and their rules left it. The groups
  // keep the tally's established order (group 1, group 0, then groups 2 and 3 step by step
  // together) because the order shows: every write runs the clearing rules over all four groups'
  // subtotals and amounts, and an overflow stops the calculation at its step, so the order decides
  // what the window shows on the way and which fields an overflow leaves written, though not the
  // end state.
  countSubtotal(1).setText(formatPlain(pieces(1)));
  volumeSubtotal(1).setText(formatMasked(cubicMetres(1), Mask::Decimals3));
  amount(1).setText(formatMasked(product(volumeSubtotal(1), unitPrice(1)), Mask::Decimals2));

  countSubtotal(0).setText(formatPlain(pieces(0)));
  volumeSubtotal(0).setText(formatMasked(cubicMetres(0), Mask::Decimals3));
  amount(0).setText(formatMasked(product(volumeSubtotal(0), unitPrice(0)), Mask::Decimals2));

  countSubtotal(2).setText(formatPlain(pieces(2)));
  countSubtotal(3).setText(formatPlain(pieces(3)));
  volumeSubtotal(2).setText(formatMasked(cubicMetres(2), Mask::Decimals3));
  volumeSubtotal(3).setText(formatMasked(cubicMetres(3), Mask::Decimals3));
  amount(2).setText(formatMasked(product(volumeSubtotal(2), unitPrice(2)), Mask::Decimals2));
  amount(3).setText(formatMasked(product(unitPrice(3), volumeSubtotal(3)), Mask::Decimals2));

  totalCount().setText(
      formatPlain(sum4(countSubtotal(0), countSubtotal(1), countSubtotal(2), countSubtotal(3))));
  totalVolume().setText(formatMasked(
      sum4(volumeSubtotal(2), volumeSubtotal(0), volumeSubtotal(1), volumeSubtotal(3)), Mask::Decimals3));
  amountSum().setText(formatMasked(sum4(amount(2), amount(1), amount(0), amount(3)), Mask::Decimals2));
  averageAmount().setText(formatMasked(product(averageUnitPrice(), totalVolume()), Mask::Decimals2));
}

void LogTallySheet::clear() {
  auto diameters = [this](int g) {
    for (int r = 1; r <= kRows; ++r) diameter(r, g).setText(standardDiameter(r));
  };
  auto counts = [this](int g) {
    for (int r = 1; r <= kRows; ++r) count(r, g).setText(u"");
  };
  auto volumes = [this](int g) {
    for (int r = 1; r <= kRows; ++r) volume(r, g).setText(u"");
  };

  diameters(0), counts(0), volumes(0);
  volumes(1), diameters(1), counts(1);
  field("Text17").setText(u"");  // the party named by Combo4
  countSubtotal(0).setText(u""), volumeSubtotal(0).setText(u"");
  countSubtotal(1).setText(u""), volumeSubtotal(1).setText(u"");
  amount(0).setText(u""), amount(1).setText(u"");
  amountSum().setText(u""), totalVolume().setText(u""), totalCount().setText(u"");
  diameters(2), counts(2), volumes(2);
  diameters(3), counts(3), volumes(3);
  countSubtotal(3).setText(u""), volumeSubtotal(3).setText(u""), amount(3).setText(u"");
  volumeSubtotal(2).setText(u""), countSubtotal(2).setText(u""), amount(2).setText(u"");
  length(0).setText(u"4");
  field("Text22").setText(u"");  // the party named by Combo2
  averageUnitPrice().setText(u"");
  averageAmount().setText(u"");
}

}  // namespace quenby

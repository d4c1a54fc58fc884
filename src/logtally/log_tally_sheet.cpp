#include "logtally/log_tally_sheet.h"

#include <stdexcept>
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

double number(const Field& f) { return leadingNumber(f.text()); }
}  // namespace

LogTallySheet::LogTallySheet()
    : text23_(u"4"),
      combo1_(u"联系人"),
      combo2_(u"车号"),
      combo3_(u"原木计算"),
      combo4_(u"购货单位"),
      combo5_(u"出货单位") {
  for (int r = 1; r <= kRows; ++r) {
    for (int g = 0; g < kGroups; ++g) diameter(r, g).setText(standardDiameter(r));
    for (int i = 0; i < kColumns; ++i) {
      cell(r, i).onChange([this, r] { rowRule(r); });
      named_.push_back({{rowArray(r), i}, &cell(r, i)});
    }
  }
  for (int i = 0; i < 8; ++i) {
    text16_[i].onChange([this] { subtotalRule(); });
    named_.push_back({{"Text16", i}, &text16_[i]});
  }
  for (int i = 0; i < 4; ++i) named_.push_back({{"Text18", i}, &text18_[i]});
  for (int i = 0; i < 7; ++i) {
    text19_[i].onChange([this] { amountRule(); });
    named_.push_back({{"Text19", i}, &text19_[i]});
  }
  text29_.onChange([this] { averageAmountRule(); });

  const NamedField singles[] = {
      {{"Text15"}, &text15_}, {{"Text17"}, &text17_}, {{"Text20"}, &text20_}, {{"Text21"}, &text21_},
      {{"Text22"}, &text22_}, {{"Text23"}, &text23_}, {{"Text24"}, &text24_}, {{"Text25"}, &text25_},
      {{"Text26"}, &text26_}, {{"Text27"}, &text27_}, {{"Text28"}, &text28_}, {{"Text29"}, &text29_},
      {{"Combo1"}, &combo1_}, {{"Combo2"}, &combo2_}, {{"Combo3"}, &combo3_}, {{"Combo4"}, &combo4_},
      {{"Combo5"}, &combo5_}};
  named_.insert(named_.end(), std::begin(singles), std::end(singles));
}

std::string_view LogTallySheet::rowArray(int row) {
  static constexpr std::string_view kNames[kRows] = {"Text1", "Text2",  "Text3",  "Text4",  "Text5",
                                                     "Text6", "Text7",  "Text8",  "Text9",  "Text10",
                                                     "Text11", "Text12", "Text13", "Text14"};
  return kNames[row - 1];
}

Field& LogTallySheet::length(int group) {
  Field* lengths[kGroups] = {&text23_, &text15_, &text26_, &text21_};
  return *lengths[group];
}
Field& LogTallySheet::countSubtotal(int group) { return text16_[std::array{0, 2, 5, 6}.at(group)]; }
Field& LogTallySheet::volumeSubtotal(int group) { return text16_[std::array{1, 3, 4, 7}.at(group)]; }
Field& LogTallySheet::unitPrice(int group) { return text18_.at(group); }
Field& LogTallySheet::amount(int group) { return text19_[std::array{0, 1, 5, 6}.at(group)]; }

Field& LogTallySheet::field(FieldId id) {
  for (const NamedField& f : named_)
    if (f.id == id) return *f.field;
  throw std::out_of_range("no field " + toString(id) + " on the log tally sheet");
}

// A volume with no pieces behind it is blanked, in all four groups of the row.
void LogTallySheet::rowRule(int row) {
  for (int g = 0; g < kGroups; ++g) {
    const std::u16string& n = count(row, g).text();
    if (sortsBefore(n, kZero) || n == kZero) volume(row, g).setText(u"");
  }
}

// A group with less than one piece shows neither subtotal.
void LogTallySheet::subtotalRule() {
  if (sortsBefore(text16_[0].text(), kOne)) text16_[0].setText(u"");
  if (sortsBefore(text16_[0].text(), kOne)) text16_[1].setText(u"");
  if (sortsBefore(text16_[2].text(), kOne)) text16_[2].setText(u"");
  if (sortsBefore(text16_[2].text(), kOne)) text16_[3].setText(u"");
  if (sortsBefore(text16_[5].text(), kOne)) text16_[4].setText(u"");
  if (sortsBefore(text16_[6].text(), kOne)) text16_[7].setText(u"");
  if (sortsBefore(text16_[5].text(), kOne)) text16_[5].setText(u"");
  if (sortsBefore(text16_[6].text(), kOne)) text16_[6].setText(u"");
}

// Amounts without a price and zero totals are blanked. Group 0 keeps an amount at price "0".
void LogTallySheet::amountRule() {
  if (sortsBefore(text18_[0].text(), kZero)) text19_[0].setText(u"");
  if (sortsBefore(text18_[1].text(), kTenThousandth)) text19_[1].setText(u"");
  if (sortsBefore(text18_[2].text(), kTenThousandth)) text19_[5].setText(u"");
  if (sortsBefore(text18_[3].text(), kTenThousandth)) text19_[6].setText(u"");
  if (sortsBefore(text19_[2].text(), kTenThousandth)) text19_[2].setText(u"");
  if (sortsBefore(text19_[3].text(), kTenThousandth)) text19_[3].setText(u"");
  if (sortsBefore(text19_[4].text(), kTenThousandth)) text19_[4].setText(u"");
}

void LogTallySheet::averageAmountRule() {
  if (sortsBefore(text29_.text(), kThousandth)) text29_.setText(u"");
}

void LogTallySheet::calculate() {
  using checked::add;
  using checked::mul;
  auto columnSum = [this](int index) {
    double sum = 0;
    for (int r = 1; r <= kRows; ++r) sum = add(sum, number(cell(r, index)));
    return sum;
  };
  auto product = [](const Field& a, const Field& b) { return mul(number(a), number(b)); };
  auto sum4 = [](const Field& a, const Field& b, const Field& c, const Field& d) {
    return add(add(add(number(a), number(b)), number(c)), number(d));
  };

  // Line volumes, group by group, top to bottom.
  for (int g = 0; g < kGroups; ++g)
    for (int r = 1; r <= kRows; ++r)
      volume(r, g).setText(CaiJiJiSuan(diameter(r, g), count(r, g), length(g)).value_or(u""));

  // Each operand is read from its field as the earlier writes and their rules left it.
  text16_[2].setText(formatPlain(columnSum(4)));
  text16_[3].setText(formatMasked(columnSum(5), Mask::Decimals3));
  text19_[1].setText(formatMasked(product(text16_[3], text18_[1]), Mask::Decimals2));

  text16_[0].setText(formatPlain(columnSum(1)));
  text16_[1].setText(formatMasked(columnSum(2), Mask::Decimals3));
  text19_[0].setText(formatMasked(product(text16_[1], text18_[0]), Mask::Decimals2));

  text16_[5].setText(formatPlain(columnSum(7)));
  text16_[6].setText(formatPlain(columnSum(10)));
  text16_[4].setText(formatMasked(columnSum(8), Mask::Decimals3));
  text16_[7].setText(formatMasked(columnSum(11), Mask::Decimals3));
  text19_[5].setText(formatMasked(product(text16_[4], text18_[2]), Mask::Decimals2));
  text19_[6].setText(formatMasked(product(text18_[3], text16_[7]), Mask::Decimals2));

  text19_[4].setText(formatPlain(sum4(text16_[0], text16_[2], text16_[5], text16_[6])));
  text19_[3].setText(formatMasked(sum4(text16_[4], text16_[1], text16_[3], text16_[7]), Mask::Decimals3));
  text19_[2].setText(formatMasked(sum4(text19_[5], text19_[1], text19_[0], text19_[6]), Mask::Decimals2));
  text29_.setText(formatMasked(product(text28_, text19_[3]), Mask::Decimals2));
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
  text17_.setText(u"");
  for (int i = 0; i <= 3; ++i) text16_[i].setText(u"");
  for (int i = 0; i <= 4; ++i) text19_[i].setText(u"");
  diameters(2), counts(2), volumes(2);
  diameters(3), counts(3), volumes(3);
  text16_[6].setText(u""), text16_[7].setText(u""), text19_[6].setText(u"");
  text16_[4].setText(u""), text16_[5].setText(u""), text19_[5].setText(u"");
  text23_.setText(u"4");
  text22_.setText(u"");
  text28_.setText(u"");
  text29_.setText(u"");
}

}  // namespace quenby

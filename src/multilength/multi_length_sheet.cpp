#include "multilength/multi_length_sheet.h"

#include "calc/log_volume.h"
#include "calc/numeric_text.h"

namespace quenby {

namespace {

// Threshold texts of the clearing rules; the comparison is ordinal, not numeric.
constexpr std::u16string_view kOne = u"1";
constexpr std::u16string_view kThousandth = u"0.001";
constexpr std::u16string_view kHundredth = u"0.01";

constexpr int kSummaryIndices[] = {4, 5, 6, 7, 10};

// A zero or meaningless total is shown as an empty field, the user's average price included.
const std::vector<ClearingRule> kSummaryRules = {
    {{"Text22", 4}, kThousandth, {"Text22", 4}}, {{"Text22", 5}, kOne, {"Text22", 5}},
    {{"Text22", 6}, kHundredth, {"Text22", 6}},  {{"Text22", 7}, kOne, {"Text22", 7}},
    {{"Text22", 10}, kOne, {"Text22", 10}},
};

// For every line: `cleared` is emptied where `test` sorts before "1".
std::vector<ClearingRule> everyLine(std::string_view test, std::string_view cleared) {
  std::vector<ClearingRule> rules;
  for (int r = 0; r < MultiLengthSheet::kLines; ++r) rules.push_back({{test, r}, kOne, {cleared, r}});
  return rules;
}

}  // namespace

MultiLengthSheet::MultiLengthSheet() {
  // In the window's control order, which the clear follows: the buyer, the lines in reading order,
  // the species and the scaler, the totals as they stand on the window, the seller.
  add({"Text27"});
  for (int r = 0; r < kLines; ++r)
    for (size_t c = 0; c < kColumns.size(); ++c) lines_[r][c] = &add({kColumns[c], r});
  add({"Text29"});
  add({"Text28"});
  for (int i : {5, 4, 10, 7, 6}) add({"Text22", i});
  add({"Text23"});

  // A volume without a whole piece behind it, and an amount without a price of at least 1, are
  // blanked on every line whenever any volume or any amount changes.
  addRules(arrayIds("Text4", kLines), everyLine("Text3", "Text4"));
  addRules(arrayIds("Text6", kLines), everyLine("Text5", "Text6"));
  std::vector<FieldId> summary;
  for (int i : kSummaryIndices) summary.push_back({"Text22", i});
  addRules(summary, kSummaryRules);
}

MultiLengthRow MultiLengthSheet::line(int r) {
  const auto& f = lines_.at(r);
  return {*f[0], *f[1], *f[2], *f[3], *f[4], *f[5]};
}

void MultiLengthSheet::calculate() {
  using checked::add;
  using checked::mul;
  auto columnSum = [this](int column) {
    double sum = 0;
    for (const auto& fields : lines_) sum = add(sum, number(*fields[column]));
    return sum;
  };

  // Each step reads its operands as the earlier writes and their rules left them.
  for (int r = 0; r < kLines; ++r) {
    MultiLengthRow l = line(r);
    l.volume.setText(CaiJiJiSuan(l.diameter, l.count, l.length).value_or(u""));
  }
  for (int r = 0; r < kLines; ++r) {
    MultiLengthRow l = line(r);
    l.amount.setText(formatMasked(mul(number(l.unitPrice), number(l.volume)), Mask::Decimals2));
  }
  totalCount().setText(formatPlain(columnSum(2)));
  totalVolume().setText(formatMasked(columnSum(3), Mask::Decimals3));
  averageAmount().setText(
      formatMasked(mul(number(totalVolume()), number(averageUnitPrice())), Mask::Decimals2));
  amountSum().setText(formatMasked(columnSum(5), Mask::Decimals2));
}

void MultiLengthSheet::clear() {
  for (const NamedField& f : fields()) f.field->setText(u"");
}

}  // namespace quenby

#include "logtally/log_tally_calculator.h"

#include "logtally/log_tally_export.h"
#include "logtally/log_tally_layout.h"
#include "logtally/log_tally_sheet.h"

namespace quenby {

namespace {

LedgerColumns ledgerColumns() {
  LogTallySheet sheet;
  return {logTallyExport().worksheet,
          {{"Combo4"}, {}, {"Text17"}},  // the buyer, captioned by the user's choice
          {{"Combo5"}, {}, {"Text20"}},  // the seller, likewise
          {"Text27"},                    // the species
          addressOf(sheet, sheet.totalCount()),
          addressOf(sheet, sheet.totalVolume()),
          addressOf(sheet, sheet.amountSum()),
          addressOf(sheet, sheet.averageAmount()),
          {{"Text17"}, {"Text22"}, {"Text20"}, {"Text24"}, {"Text27"}, {"Text25"}}};
}

}  // namespace

const CalculatorSpec& logTallyCalculator() {
  static const CalculatorSpec spec{
      "logtally",
      u"原木计算",
      kAllCalculatorsPage,
      logTallyLayout,
      []() -> std::unique_ptr<Sheet> { return std::make_unique<LogTallySheet>(); },
      logTallyExport,
      ledgerColumns,
  };
  return spec;
}

}  // namespace quenby

#include "sawn/sawn_timber_calculator.h"

#include "sawn/sawn_timber_export.h"
#include "sawn/sawn_timber_layout.h"
#include "sawn/sawn_timber_sheet.h"

namespace quenby {

namespace {

// The sheet has no species and no piece total.
LedgerColumns ledgerColumns() {
  SawnTimberSheet sheet;
  return {sawnTimberExport().worksheet,
          {{"Combo3"}, {}, {"Text10"}},  // the buyer, captioned by the user's choice
          {{"Combo4"}, {}, {"Text13"}},  // the seller, likewise
          {},
          {},
          addressOf(sheet, sheet.totalVolume()),
          addressOf(sheet, sheet.totalAmount()),
          {},
          {{"Text10"}, {"Text11"}, {"Text13"}, {"Text12"}, {"Text14"}}};
}

}  // namespace

const CalculatorSpec& sawnTimberCalculator() {
  static const CalculatorSpec spec{
      "sawn",
      u"锯材计算",
      kAllCalculatorsPage,
      sawnTimberLayout,
      []() -> std::unique_ptr<Sheet> { return std::make_unique<SawnTimberSheet>(); },
      sawnTimberExport,
      ledgerColumns,
  };
  return spec;
}

}  // namespace quenby

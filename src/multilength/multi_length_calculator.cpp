#include "multilength/multi_length_calculator.h"

#include "multilength/multi_length_export.h"
#include "multilength/multi_length_layout.h"
#include "multilength/multi_length_sheet.h"

namespace quenby {

namespace {

LedgerColumns ledgerColumns() {
  MultiLengthSheet sheet;
  // The header fields have fixed labels: Label12 and Label8.
  return {multiLengthExport().worksheet,
          {{}, u"购货单位", {"Text27"}},
          {{}, u"售货单位", {"Text23"}},
          {"Text29"},  // the species
          addressOf(sheet, sheet.totalCount()),
          addressOf(sheet, sheet.totalVolume()),
          addressOf(sheet, sheet.amountSum()),
          addressOf(sheet, sheet.averageAmount()),
          {{"Text27"}, {"Text23"}, {"Text29"}, {"Text28"}}};
}

}  // namespace

const CalculatorSpec& multiLengthCalculator() {
  static const CalculatorSpec spec{
      "multilength",
      u"多 材 长",
      "https://quenby.example.com/calculators/multi-length/",
      multiLengthLayout,
      []() -> std::unique_ptr<Sheet> { return std::make_unique<MultiLengthSheet>(); },
      multiLengthExport,
      ledgerColumns,
  };
  return spec;
}

}  // namespace quenby

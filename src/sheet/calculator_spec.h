#pragma once
// CalculatorSpec: all that the rooms below the windows know of one calculator, with no Qt: its
// key in the store (which is also its id), the selector's entry, the web page its window opens,
// its layout table, a new sheet, its export map and the fields that feed the ledger's columns.
// Each calculator's folder holds its own; the build lists them (QUENBY_CALCULATORS in the top
// CMakeLists.txt), and the application pairs each with its window (windows/calculator_windows.h).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "calc/field.h"
#include "sheet/layout.h"
#include "sheet/sheet.h"

namespace quenby {

struct SheetExport;  // the export map (export/export_procedure.h), a room above this one

// A header line of a ledger record: the caption box whose text captions the field, or, its name
// left empty, the sheet's fixed `label`; and the field.
struct LedgerLine {
  FieldId caption;
  std::u16string_view label;
  FieldId text;
};

// Which field of the sheet feeds which column of the ledger's list. A name left empty: the sheet
// has no such field, and the column stays empty.
struct LedgerColumns {
  std::u16string worksheet;  // the bill's worksheet, which names the record's kind
  LedgerLine buyer;          // the first header line
  LedgerLine seller;         // the bottom-left header line
  FieldId species;
  FieldId pieces;
  FieldId volume;
  FieldId amount;
  FieldId amountAtAverage;  // shown when `amount` is empty
  std::vector<FieldId> searched;
};

// The product's page of all its calculators, the web page most calculators' windows open.
inline constexpr std::string_view kAllCalculatorsPage = "https://quenby.example.com/calculators/";

struct CalculatorSpec {
  std::string_view storeKey;         // its id, and its sheet's key in the store: never changed once used
  std::u16string_view selectorText;  // its entry in the selector, compared exactly
  std::string_view webPage;          // the page of further calculators its window opens
  const layout::Window& (*layout)();
  std::unique_ptr<Sheet> (*makeSheet)();  // a new sheet, as a new window holds it
  const SheetExport& (*exportMap)();
  LedgerColumns (*ledgerColumns)();
};

// The address of `field`, one of the fields of `sheet`; throws std::out_of_range for another.
FieldId addressOf(const Sheet& sheet, const Field& field);

// Every calculator, the start-up one first, as the build lists them (calculator_list.cpp, made
// from QUENBY_CALCULATORS in the build tree).
const std::vector<const CalculatorSpec*>& calculatorList();

}  // namespace quenby

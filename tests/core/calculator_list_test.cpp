// Faults caught: a descriptor whose ledger columns name a field its sheet does not have (the
// column would stay empty without a word), and two calculators of the list sharing a store key or
// a selector entry (the second one's sheets, records or window could never be told apart).

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "export/export_procedure.h"
#include "sheet/calculator_spec.h"

namespace quenby {
namespace {

TEST(CalculatorList, EveryLedgerColumnIsAFieldOfItsSheetAndNoKeyOrEntryIsShared) {
  const std::vector<const CalculatorSpec*>& list = calculatorList();
  ASSERT_EQ(list.size(), 3u);
  std::set<std::string_view> keys;
  std::set<std::u16string_view> entries;
  for (const CalculatorSpec* c : list) {
    SCOPED_TRACE(std::string(c->storeKey));
    EXPECT_TRUE(keys.insert(c->storeKey).second);
    EXPECT_TRUE(entries.insert(c->selectorText).second);
    const std::unique_ptr<Sheet> sheet = c->makeSheet();
    const LedgerColumns columns = c->ledgerColumns();
    EXPECT_EQ(columns.worksheet, c->exportMap().worksheet);
    std::vector<FieldId> named{columns.buyer.caption, columns.buyer.text, columns.seller.caption,
                               columns.seller.text,   columns.species,    columns.pieces,
                               columns.volume,        columns.amount,     columns.amountAtAverage};
    named.insert(named.end(), columns.searched.begin(), columns.searched.end());
    for (const FieldId& id : named) {
      if (id.name.empty()) continue;
      EXPECT_NO_THROW(sheet->field(id)) << toString(id);
    }
    EXPECT_FALSE(columns.volume.name.empty());
    EXPECT_FALSE(columns.amount.name.empty());
  }
}

TEST(CalculatorList, TheStartUpCalculatorComesFirst) {
  EXPECT_EQ(calculatorList().front()->storeKey, "logtally");
  EXPECT_EQ(calculatorList().front()->selectorText, u"原木计算");
}

}  // namespace
}  // namespace quenby

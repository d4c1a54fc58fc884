// Putting a saved sheet back: every text exactly as saved, whatever the clearing rules would make
// of it, with no listener run; addresses the sheet does not have are passed over.

#include <gtest/gtest.h>

#include "logtally/log_tally_sheet.h"

namespace quenby {
namespace {

TEST(SheetRestore, PutsBackTextsTheRulesWouldClearAndRunsNoListener) {
  LogTallySheet s;
  int changes = 0;
  for (const NamedField& f : s.fields()) f.field->onChange([&changes] { ++changes; });

  struct Row {
    const char* what;
    FieldId id;
    std::u16string_view text;
  };
  // Each of these, written with setText, would be emptied by a rule at once.
  const Row rows[] = {
      {"a volume in a row without a count", {"Text7", 5}, u"1.2340"},
      {"a count subtotal below one", {"Text16", 0}, u"0.5"},
      {"its volume subtotal", {"Text16", 1}, u"0.0200"},
      {"an amount without a price", {"Text19", 0}, u"12.00"},
      {"an emptied standard diameter", {"Text3", 0}, u""},
  };
  for (const Row& r : rows) EXPECT_TRUE(s.restore(r.id, r.text)) << r.what;
  for (const Row& r : rows) EXPECT_EQ(s.field(r.id).text(), r.text) << r.what;
  EXPECT_EQ(changes, 0);

  // The rules still act on the next real change.
  s.count(7, 1).setText(u"0");
  EXPECT_EQ(s.volume(7, 1).text(), u"");
}

TEST(SheetRestore, AnAddressTheSheetDoesNotHaveChangesNothing) {
  LogTallySheet s;
  EXPECT_FALSE(s.restore({"Text99", 0}, u"5"));
  EXPECT_FALSE(s.restore({"Text7", 12}, u"5"));  // one past the row's last element
  EXPECT_FALSE(s.restore({"Text7"}, u"5"));      // an array element's name without its index
  LogTallySheet fresh;
  for (size_t i = 0; i < s.fields().size(); ++i)
    EXPECT_EQ(s.fields()[i].field->text(), fresh.fields()[i].field->text()) << toString(s.fields()[i].id);
}

}  // namespace
}  // namespace quenby

#include "calc/field.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quenby {
namespace {

TEST(Field, ChangeEventFiresOnlyWhenTheTextReallyChanges) {
  Field f(u"4");
  std::vector<std::u16string> seen;
  f.onChange([&] { seen.push_back(f.text()); });
  f.setText(u"4");
  EXPECT_TRUE(seen.empty());
  f.setText(u"6");
  f.setText(u"6");
  f.setText(u"");
  f.setText(u"");
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"6", u""}));
}

TEST(Field, ChangeEventRunsNestedInsideTheWrite) {
  Field a, b;
  std::vector<std::string> order;
  a.onChange([&] {
    order.push_back("a sees " + std::to_string(a.text().size()));
    b.setText(u"from a");
    order.push_back("a done");
  });
  b.onChange([&] { order.push_back("b changed"); });
  a.setText(u"xy");
  order.push_back("after write");
  EXPECT_EQ(order, (std::vector<std::string>{"a sees 2", "b changed", "a done", "after write"}));
}

// Rules that empty fields from inside their own change event end because an unchanged text
// raises no event: the nesting is never deeper than the number of fields emptied.
TEST(Field, RulesThatEmptyTheirOwnFieldsTerminate) {
  Field f[3];
  int depth = 0, maxDepth = 0, runs = 0;
  auto rule = [&] {
    ++runs;
    maxDepth = std::max(maxDepth, ++depth);
    for (Field& g : f)
      if (g.text() < std::u16string_view(u"1")) g.setText(u"");
    --depth;
  };
  for (Field& g : f) g.onChange(rule);
  f[0].setText(u"0");
  EXPECT_EQ(f[0].text(), u"");
  f[1].setText(u"5");
  f[2].setText(u"0.5");
  f[0].setText(u"0.25");
  EXPECT_EQ(f[0].text(), u"");
  EXPECT_EQ(f[1].text(), u"5");
  EXPECT_EQ(f[2].text(), u"");
  EXPECT_LE(maxDepth, 3);
  EXPECT_LT(runs, 10);
}

TEST(FieldId, PrintsAsControlNameAndIndex) {
  EXPECT_EQ(toString({"Text16", 5}), "Text16(5)");
  EXPECT_EQ(toString({"Text1", 0}), "Text1(0)");  // element 0 of an array is not a plain control
  EXPECT_EQ(toString({"Text14", 11}), "Text14(11)");
  EXPECT_EQ(toString({"Text23"}), "Text23");
}

}  // namespace
}  // namespace quenby

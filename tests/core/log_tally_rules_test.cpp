// The log tally sheet's clearing rules on text changes, and its clear button.

#include <gtest/gtest.h>

#include <string>

#include "log_tally_test_support.h"
#include "logtally/log_tally_sheet.h"

namespace quenby {
namespace {

struct RuleCase {
  const char* name;
  void (*setup)(LogTallySheet&);
  std::string_view field;
  int index;
  const char* expected;
};

// Each rule runs on a text change of its trigger field, typed or written by code.
TEST(LogTallyRules, ClearingOnTextChange) {
  const RuleCase cases[] = {
      {"deleting a count empties the row's volume",
       [](LogTallySheet& s) {
         s.count(4, 2).setText(u"3");
         s.volume(4, 2).setText(u"0.1000");
         s.count(4, 2).setText(u"");
       },
       "Text4", 8, ""},
      {"count 0 empties it",
       [](LogTallySheet& s) {
         s.volume(4, 0).setText(u"0.1000");
         s.count(4, 0).setText(u"0");
       },
       "Text4", 2, ""},
      {"count 00 keeps it",
       [](LogTallySheet& s) {
         s.count(4, 0).setText(u"5");
         s.volume(4, 0).setText(u"0.1000");
         s.count(4, 0).setText(u"00");
       },
       "Text4", 2, "0.1000"},
      {"count 0.5 keeps it",
       [](LogTallySheet& s) {
         s.count(4, 0).setText(u"5");
         s.volume(4, 0).setText(u"0.1000");
         s.count(4, 0).setText(u"0.5");
       },
       "Text4", 2, "0.1000"},
      {"count 3 keeps it",
       [](LogTallySheet& s) {
         s.count(4, 0).setText(u"5");
         s.volume(4, 0).setText(u"0.1000");
         s.count(4, 0).setText(u"3");
       },
       "Text4", 2, "0.1000"},
      {"count with a leading blank empties it",
       [](LogTallySheet& s) {
         s.count(4, 3).setText(u"5");
         s.volume(4, 3).setText(u"0.1000");
         s.count(4, 3).setText(u" 5");
       },
       "Text4", 11, ""},
      {"count -2 empties it",
       [](LogTallySheet& s) {
         s.count(4, 1).setText(u"5");
         s.volume(4, 1).setText(u"0.1000");
         s.count(4, 1).setText(u"-2");
       },
       "Text4", 5, ""},
      {"a volume typed without a count vanishes", [](LogTallySheet& s) { s.volume(7, 1).setText(u"1"); },
       "Text7", 5, ""},
      {"the row rule checks all four groups, whichever cell changed",
       [](LogTallySheet& s) {
         s.count(2, 0).setText(u"5");
         s.volume(2, 0).setText(u"0.1");
         s.volume(2, 3).setText(u"0.2");  // no count in group 3: emptied
         s.count(2, 0).setText(u"0");     // now group 0 is emptied too
       },
       "Text2", 2, ""},
      {"Text16(1) typed while Text16(0) is empty",
       [](LogTallySheet& s) { s.field("Text16", 1).setText(u"1"); }, "Text16", 1, ""},
      {"Text16(3) typed while Text16(2) is empty",
       [](LogTallySheet& s) { s.field("Text16", 3).setText(u"1"); }, "Text16", 3, ""},
      {"Text16(4) typed while Text16(5) is empty",
       [](LogTallySheet& s) { s.field("Text16", 4).setText(u"1"); }, "Text16", 4, ""},
      {"Text16(7) typed while Text16(6) is empty",
       [](LogTallySheet& s) { s.field("Text16", 7).setText(u"1"); }, "Text16", 7, ""},
      {"count subtotal 0.5 is emptied with its volume subtotal",
       [](LogTallySheet& s) {
         s.field("Text16", 2).setText(u"3");
         s.field("Text16", 3).setText(u"0.123");
         s.field("Text16", 2).setText(u"0.5");
       },
       "Text16", 3, ""},
      {"count subtotal 1 keeps its volume subtotal",
       [](LogTallySheet& s) {
         s.field("Text16", 2).setText(u"1");
         s.field("Text16", 3).setText(u"0.123");
       },
       "Text16", 3, "0.123"},
      {"Text19(3) typed as 0 is emptied", [](LogTallySheet& s) { s.field("Text19", 3).setText(u"0"); },
       "Text19", 3, ""},
      {"Text19(3) typed as 5 stays", [](LogTallySheet& s) { s.field("Text19", 3).setText(u"5"); }, "Text19",
       3, "5"},
      {"Text29 typed as 0.00 is emptied", [](LogTallySheet& s) { s.field("Text29").setText(u"0.00"); },
       "Text29", -1, ""},
      {"emptying a price does not blank its amount by itself",
       [](LogTallySheet& s) {
         s.unitPrice(1).setText(u"800");
         s.amount(1).setText(u"100.00");
         s.unitPrice(1).setText(u"");
       },
       "Text19", 1, "100.00"},
      {"…until some Text19 field changes",
       [](LogTallySheet& s) {
         s.unitPrice(1).setText(u"800");
         s.amount(1).setText(u"100.00");
         s.unitPrice(1).setText(u"");
         s.field("Text19", 4).setText(u"7");
       },
       "Text19", 1, ""},
      {"group 0 amount stays at price 0",
       [](LogTallySheet& s) {
         s.unitPrice(0).setText(u"0");
         s.amount(0).setText(u"0.00");
       },
       "Text19", 0, "0.00"},
      {"group 3 amount is emptied at price 0.0000",
       [](LogTallySheet& s) {
         s.unitPrice(3).setText(u"0.0000");
         s.amount(3).setText(u"12.00");
       },
       "Text19", 6, ""},
      {"changing a length triggers nothing",
       [](LogTallySheet& s) {
         s.count(1, 0).setText(u"2");
         s.volume(1, 0).setText(u"0.0082");
         s.length(0).setText(u"");
       },
       "Text1", 2, "0.0082"},
  };
  for (const auto& c : cases) {
    LogTallySheet s;
    c.setup(s);
    EXPECT_EQ(text(s, c.field, c.index), c.expected) << c.name;
  }
}

// Text28 is an input with no rule of its own: changing it changes no other field, not even where a
// rule would have something to blank (the emptied price of group 1) or a live total could follow.
TEST(LogTallyRules, ChangingText28TriggersNothing) {
  LogTallySheet s;
  smallLoad(s);
  s.unitPrice(1).setText(u"800");
  s.calculate();
  s.amount(1).setText(u"100.00");
  s.unitPrice(1).setText(u"");  // Text19(1) now waits for the amount rule
  ASSERT_EQ(text(s, "Text19", 3), "0.646");
  ASSERT_EQ(text(s, "Text29"), "");
  const Snapshot before = snapshot(s);
  int changes = 0;
  for (const NamedField& f : s.fields()) {
    if (toString(f.id) != "Text28") f.field->onChange([&] { ++changes; });
  }
  for (const char16_t* price : {u"780", u"", u"0", u"-1", u"abc", u"0.0000"})
    set(s, "Text28", u8(price).c_str());
  EXPECT_EQ(changes, 0);
  Snapshot after = snapshot(s);
  EXPECT_EQ(after["Text28"], "0.0000");
  after["Text28"] = before.at("Text28");
  EXPECT_EQ(after, before);
  EXPECT_EQ(text(s, "Text19", 1), "100.00");
}

TEST(LogTallyClear, ResetsTheLoadAndKeepsPricesLengthsAndParties) {
  LogTallySheet s;
  smallLoad(s);
  s.diameter(7, 2).setText(u"15");
  s.length(0).setText(u"6");
  s.length(1).setText(u"5");
  s.length(3).setText(u"8");
  for (int g = 1; g < 4; ++g) s.unitPrice(g).setText(u"900");
  set(s, "Text28", "780");
  const char* kept[] = {"Text20", "Text24", "Text25", "Text27"};
  for (const char* n : kept) set(s, n, "保留");
  set(s, "Text17", "买方");
  set(s, "Text22", "闽A12345");
  set(s, "Combo4", "公司名称");
  s.calculate();
  Snapshot before = snapshot(s);
  s.clear();

  Snapshot expected = snapshot(LogTallySheet());
  for (const char* n : {"Text15", "Text21", "Text26", "Text20", "Text24", "Text25", "Text27", "Combo4"})
    expected[n] = before[n];
  for (int g = 0; g < 4; ++g)
    expected["Text18(" + std::to_string(g) + ")"] = before["Text18(" + std::to_string(g) + ")"];
  EXPECT_EQ(snapshot(s), expected);
  EXPECT_EQ(u8(s.diameter(7, 2).text()), "16");
  EXPECT_EQ(u8(s.length(0).text()), "4");
  EXPECT_EQ(u8(s.length(1).text()), "5");
  EXPECT_EQ(u8(s.unitPrice(0).text()), "800");
}

TEST(LogTallyClear, ClearingAResetSheetChangesNothing) {
  LogTallySheet s;
  s.clear();
  int changes = 0;
  for (const NamedField& f : s.fields()) f.field->onChange([&] { ++changes; });
  s.clear();
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(snapshot(s), snapshot(LogTallySheet()));
}

}  // namespace
}  // namespace quenby

#include "sawn/sawn_timber_sheet.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "calc/error.h"
#include "support/utf.h"

namespace quenby {
namespace {

using Texts = std::map<std::string, std::string>;  // field address -> text

Texts snapshot(const SawnTimberSheet& s) {
  Texts m;
  for (const NamedField& f : s.fields()) m[toString(f.id)] = u8(f.field->text());
  return m;
}

// The fields whose text differs between two snapshots, with their new texts.
Texts changes(const Texts& before, const Texts& after) {
  Texts d;
  for (const auto& [name, text] : after)
    if (before.at(name) != text) d[name] = text;
  return d;
}

std::string text(SawnTimberSheet& s, std::string_view name, int index = -1) {
  return u8(s.field(name, index).text());
}

struct LineInput {
  int r;
  const char *length, *width, *thickness, *pieces, *price;
};

void enter(SawnTimberSheet& s, const LineInput& in) {
  SawnTimberRow l = s.line(in.r);
  l.length.setText(u16(in.length));
  l.width.setText(u16(in.width));
  l.thickness.setText(u16(in.thickness));
  l.pieces.setText(u16(in.pieces));
  l.unitPrice.setText(u16(in.price));
}

// Each key appended to the field's text as it stands after the previous key and its rules.
void typeKeys(Field& f, const std::string& keys) {
  for (char k : keys) f.setText(f.text() + u16(std::string(1, k)));
}

TEST(SawnTimberSheet, FreshSheetIsEmptyWithTheFirstCaptionOfEachBox) {
  SawnTimberSheet s;
  Texts m = snapshot(s);
  EXPECT_EQ(m.size(), 56u + 7 + 4);
  EXPECT_EQ(m["Combo1"], "联系人");
  EXPECT_EQ(m["Combo2"], "车号");
  EXPECT_EQ(m["Combo3"], "购货单位");
  EXPECT_EQ(m["Combo4"], "出货单位");
  for (const char* combo : {"Combo1", "Combo2", "Combo3", "Combo4"}) m.erase(combo);
  for (const char* name : {"Text1(0)", "Text7(7)", "Text8", "Text14"}) EXPECT_EQ(m.count(name), 1u) << name;
  for (const auto& [name, value] : m) EXPECT_EQ(value, "") << name;
  EXPECT_THROW(s.field("Text1", 8), std::out_of_range);
  EXPECT_THROW(s.field("Text15"), std::out_of_range);
}

struct LineResult {
  int r;
  const char *volume, *amount;
};

struct CalculationCase {
  const char* what;
  std::vector<LineInput> lines;
  std::vector<LineResult> shown;  // every volume and amount not listed is empty
  const char *totalVolume, *totalAmount;
};

TEST(SawnTimberCalculation, WorkedLinesAndTotals) {
  const CalculationCase cases[] = {
      {"one line", {{0, "4", "200", "50", "10", "1500"}}, {{0, "0.4000", "600.00"}}, "0.4000", "600.0000"},
      {"line 5 added",
       {{0, "4", "200", "50", "10", "1500"}, {5, "4", "100", "20", "5", "1000"}},
       {{0, "0.4000", "600.00"}, {5, "0.0400", "40.00"}},
       "0.4400",
       "640.0000"},
      {"one millionth of a cubic metre", {{0, "1", "1", "1", "1", "1000"}}, {}, "", ""},
      {"no piece count", {{0, "4", "200", "50", "", "1500"}}, {}, "", ""},
      {"pieces -10", {{0, "4", "200", "50", "-10", "1500"}}, {}, "", ""},
      {"length typed as 4m",
       {{0, "4m", "200", "50", "10", "1500"}},
       {{0, "0.4000", "600.00"}},
       "0.4000",
       "600.0000"},
      {"amount from the volume as shown",
       {{0, "1.23456", "100", "100", "10", "1000"}},
       {{0, "0.1235", "123.50"}},
       "0.1235",
       "123.5000"},
      {"volume without a price", {{3, "4", "200", "50", "10", ""}}, {{3, "0.4000", ""}}, "0.4000", ""},
      {"last line", {{7, "6", "150", "30", "4", "1200"}}, {{7, "0.1080", "129.60"}}, "0.1080", "129.6000"},
      // 0.1235 x 333.33 = 41.166255 shows 41.17; twice that is 82.34, not 82.3325.
      {"total amount sums the amounts as shown",
       {{1, "1.23456", "100", "100", "10", "333.33"}, {2, "1.23456", "100", "100", "10", "333.33"}},
       {{1, "0.1235", "41.17"}, {2, "0.1235", "41.17"}},
       "0.2470",
       "82.3400"},
      // 0.00004 each shows 0.0000 and is emptied: the shown volumes sum to nothing.
      {"total volume sums the volumes as shown",
       {{0, "1", "2", "20", "1", "100"},
        {1, "1", "2", "20", "1", "100"},
        {2, "1", "2", "20", "1", "100"},
        {3, "1", "2", "20", "1", "100"},
        {4, "1", "2", "20", "1", "100"},
        {5, "1", "2", "20", "1", "100"},
        {6, "1", "2", "20", "1", "100"},
        {7, "1", "2", "20", "1", "100"}},
       {},
       "",
       ""},
      // 0.00005 rounds half away to 0.0001, just kept; 0.0001 x 100 is 0.01, at its threshold.
      {"smallest volume and amount shown",
       {{0, "1", "5", "10", "1", "100"}, {1, "1", "5", "10", "1", "40"}},
       {{0, "0.0001", "0.01"}, {1, "0.0001", ""}},
       "0.0002",
       "0.0100"},
  };
  for (const CalculationCase& c : cases) {
    SawnTimberSheet s;
    for (const LineInput& in : c.lines) enter(s, in);
    const Texts inputs = snapshot(s);
    s.calculate();
    for (int r = 0; r < 8; ++r) {
      std::string volume, amount;
      for (const LineResult& res : c.shown)
        if (res.r == r) volume = res.volume, amount = res.amount;
      EXPECT_EQ(text(s, "Text5", r), volume) << c.what << ", line " << r;
      EXPECT_EQ(text(s, "Text7", r), amount) << c.what << ", line " << r;
    }
    EXPECT_EQ(text(s, "Text8"), c.totalVolume) << c.what;
    EXPECT_EQ(text(s, "Text9"), c.totalAmount) << c.what;
    for (const auto& [name, value] : changes(inputs, snapshot(s))) {
      const bool computed =
          name.rfind("Text5(", 0) == 0 || name.rfind("Text7(", 0) == 0 || name == "Text8" || name == "Text9";
      EXPECT_TRUE(computed) << c.what << ": " << name << " changed to " << value;
    }
  }
}

TEST(SawnTimberCalculation, RecomputesEveryResultOnEachClick) {
  SawnTimberSheet s;
  enter(s, {0, "4", "200", "50", "10", "1500"});
  s.field("Text5", 2).setText(u"9.9");  // typed by hand into a line that has no boards
  s.field("Text7", 0).setText(u"1");
  s.field("Text9").setText(u"77");
  s.calculate();
  EXPECT_EQ(text(s, "Text5", 2), "");
  EXPECT_EQ(text(s, "Text7", 0), "600.00");
  EXPECT_EQ(text(s, "Text8"), "0.4000");
  EXPECT_EQ(text(s, "Text9"), "600.0000");
  const Texts once = snapshot(s);
  s.calculate();
  EXPECT_EQ(snapshot(s), once);
}

struct OverflowCase {
  const char* what;
  std::vector<LineInput> lines;
  int error;
  Texts written;  // the fields the stopped calculation had changed
};

TEST(SawnTimberCalculation, ArithmeticErrorStopsAtItsStepAndKeepsWhatWasWritten) {
  const OverflowCase cases[] = {
      {"width and length 1E200 on line 3",
       {{0, "4", "200", "50", "10", "1500"}, {3, "1E200", "1E200", "1", "1", "5"}},
       6,
       {{"Text5(0)", "0.4000"}, {"Text5(1)", ""}}},
      // 1E300 x 1E10 overflows before the division would bring it back into range.
      {"division last", {{0, "1E10", "1E300", "1", "1", ""}}, 6, {}},
      // Width times length is 1E400; thickness 1E-200 would have saved a different order.
      {"width times length first", {{2, "1E200", "1E200", "1E-200", "1", ""}}, 6, {{"Text5(1)", ""}}},
      {"width beyond the double range", {{0, "4", "1E400", "50", "10", ""}}, 6, {}},
      {"an amount beyond the double range",
       {{0, "1E10", "1E6", "1", "1", "1E300"}},
       6,
       {{"Text5(0)", "10000000000.0000"}, {"Text5(1)", ""}, {"Text5(7)", ""}}},
      // Two amounts of 1.5E308 each; their sum exceeds the double range.
      {"a sum of amounts beyond the double range",
       {{0, "1E6", "1", "1E6", "1", "1.5E302"}, {1, "1E6", "1", "1E6", "1", "1.5E302"}},
       6,
       {{"Text5(0)", "1000000.0000"},
        {"Text5(1)", "1000000.0000"},
        {"Text5(7)", ""},
        {"Text7(0)", "15" + std::string(307, '0') + ".00"},
        {"Text7(1)", "15" + std::string(307, '0') + ".00"},
        {"Text7(7)", ""},
        {"Text8", "2000000.0000"}}},
  };
  for (const OverflowCase& c : cases) {
    SawnTimberSheet s;
    for (const LineInput& in : c.lines) enter(s, in);
    // Earlier results and hand-typed texts that the calculation has not reached must stay.
    s.field("Text5", 1).setText(u"2.2");
    s.field("Text5", 7).setText(u"8.8");
    s.field("Text7", 7).setText(u"1.11");
    s.field("Text8").setText(u"3.3");
    s.field("Text9").setText(u"4.4");
    const Texts before = snapshot(s);
    try {
      s.calculate();
      ADD_FAILURE() << c.what << ": no error";
    } catch (const QuenbyError& e) {
      EXPECT_EQ(e.number(), c.error) << c.what;
    }
    EXPECT_EQ(changes(before, snapshot(s)), c.written) << c.what;
  }
}

TEST(SawnTimberCalculation, FactorsThatOnlyOverflowInAnotherOrderGoThrough) {
  SawnTimberSheet s;
  // (1E200 x 1E-200) x 1E200 x 1E-200 stays in range; width times thickness first would not.
  enter(s, {4, "1E-200", "1E200", "1E200", "1E-200", "1000"});
  s.calculate();
  EXPECT_EQ(text(s, "Text5", 4), "");  // one millionth
  EXPECT_EQ(text(s, "Text8"), "");
}

// Against "0.00001" (volumes, Text8) and "0.01" (amounts, Text9), ordinal, not numeric.
struct RuleRow {
  const char* name;
  const char* text;
  bool keptAsVolume;
  bool keptAsAmount;
};

TEST(SawnTimberRules, ComputedFieldsAreEmptiedBelowTheirThresholds) {
  const RuleRow rows[] = {
      {"the empty text", "", false, false},
      {"0 is a prefix of both thresholds", "0", false, false},
      {"a zero volume as masked", "0.0000", false, false},
      {"a zero amount as masked", "0.00", false, false},
      {"just below the volume threshold", "0.000009", false, false},
      {"at the volume threshold", "0.00001", true, false},
      {"just above the volume threshold", "0.000011", true, false},
      {"the smallest volume shown", "0.0001", true, false},
      {"half the amount threshold", "0.005", true, false},
      {"just below the amount threshold", "0.009", true, false},
      {"at the amount threshold", "0.01", true, true},
      {"trailing zeros after the amount threshold", "0.0100", true, true},
      {"just above the amount threshold", "0.011", true, true},
      {"a half", "0.5", true, true},
      {"one", "1", true, true},
      {"an ordinary amount", "25.00", true, true},
      {"a minus sign sorts before the digits", "-3", false, false},
      {"a negative volume", "-0.4000", false, false},
      {"a leading full stop sorts before 0", ".5", false, false},
      {"a leading blank sorts before 0", " 5", false, false},
      {"a trailing blank changes nothing", "5 ", true, true},
      {"letters sort after the digits", "abc", true, true},
  };
  const std::pair<std::string_view, int> volumes[] = {{"Text5", 0}, {"Text5", 7}, {"Text8", -1}};
  const std::pair<std::string_view, int> amounts[] = {{"Text7", 0}, {"Text7", 4}, {"Text9", -1}};
  for (const RuleRow& row : rows) {
    SawnTimberSheet s;
    for (auto [name, index] : volumes) {
      s.field(name, index).setText(u"9");
      s.field(name, index).setText(u16(row.text));  // pasted in one piece
      EXPECT_EQ(text(s, name, index), row.keptAsVolume ? row.text : "")
          << row.name << ": " << toString({name, index}) << " '" << row.text << "'";
    }
    for (auto [name, index] : amounts) {
      s.field(name, index).setText(u"9");
      s.field(name, index).setText(u16(row.text));
      EXPECT_EQ(text(s, name, index), row.keptAsAmount ? row.text : "")
          << row.name << ": " << toString({name, index}) << " '" << row.text << "'";
    }
  }
}

TEST(SawnTimberRules, EntryAndHeaderFieldsHaveNoRules) {
  SawnTimberSheet s;
  for (const NamedField& f : s.fields()) {
    const std::string name = toString(f.id);
    if (name.rfind("Text5(", 0) == 0 || name.rfind("Text7(", 0) == 0 || name == "Text8" || name == "Text9")
      continue;
    f.field->setText(u"0");
    EXPECT_EQ(u8(f.field->text()), "0") << name;
  }
}

TEST(SawnTimberRules, TypingKeyByKeyIsJudgedAtEveryKey) {
  struct Row {
    const char* what;
    std::string_view name;
    int index;
    const char* keys;
    const char* left;
  };
  const Row rows[] = {
      {"a line volume typed from 0 keeps only the 5", "Text5", 3, "0.5", "5"},
      {"a line amount typed from 0 keeps only the 5", "Text7", 3, "0.5", "5"},
      {"the total volume typed from 0 keeps only the 5", "Text8", -1, "0.5", "5"},
      {"the total amount typed from 0 keeps only the 5", "Text9", -1, "0.5", "5"},
      {"a small volume typed keeps only its last digit", "Text5", 0, "0.00002", "2"},
      {"a minus sign typed first vanishes", "Text7", 0, "-12", "12"},
      {"a volume typed from 1 stays whole", "Text5", 0, "12.5", "12.5"},
      {"a unit price has no rule", "Text6", 3, "0.5", "0.5"},
      {"a header field has no rule", "Text10", -1, "0.5", "0.5"},
  };
  for (const Row& r : rows) {
    SawnTimberSheet s;
    typeKeys(s.field(r.name, r.index), r.keys);
    EXPECT_EQ(text(s, r.name, r.index), r.left)
        << r.what << ": " << toString({r.name, r.index}) << " typed " << r.keys;
  }
  // The same texts pasted whole are judged as a whole.
  SawnTimberSheet s;
  s.field("Text5", 3).setText(u"0.5");
  EXPECT_EQ(text(s, "Text5", 3), "0.5");
  s.field("Text5", 3).setText(u"0.000001");
  EXPECT_EQ(text(s, "Text5", 3), "");
}

TEST(SawnTimberClear, EmptiesLinesTotalsAndTopHeaderInItsOrderAndKeepsTheRest) {
  SawnTimberSheet s;
  for (const NamedField& f : s.fields()) f.field->setText(u"5");
  s.field("Combo2").setText(u"电话");
  s.field("Combo3").setText(u"自填单位");
  std::string order;
  for (const NamedField& f : s.fields())
    f.field->onChange([&order, id = f.id] { order += toString(id) + " "; });
  s.clear();
  EXPECT_EQ(order,
            "Text1(0) Text1(1) Text1(2) Text1(3) Text1(4) Text1(5) Text1(6) Text1(7) "
            "Text2(0) Text2(1) Text2(2) Text2(3) Text2(4) Text2(5) Text2(6) Text2(7) "
            "Text3(0) Text3(1) Text3(2) Text3(3) Text3(4) Text3(5) Text3(6) Text3(7) "
            "Text4(0) Text4(1) Text4(2) Text4(3) Text4(4) Text4(5) Text4(6) Text4(7) "
            "Text5(0) Text5(1) Text5(2) Text5(3) Text5(4) Text5(5) Text5(6) Text5(7) "
            "Text6(0) Text6(1) Text6(2) Text6(3) Text6(4) Text6(5) Text6(6) Text6(7) "
            "Text7(0) Text7(1) Text7(2) Text7(3) Text7(4) Text7(5) Text7(6) Text7(7) "
            "Text10 Text11 Text8 Text9 ");
  const Texts kept = {{"Text12", "5"},    {"Text13", "5"},        {"Text14", "5"}, {"Combo1", "5"},
                      {"Combo2", "电话"}, {"Combo3", "自填单位"}, {"Combo4", "5"}};
  Texts after = snapshot(s);
  for (const auto& [name, value] : kept) {
    EXPECT_EQ(after[name], value) << name;
    after.erase(name);
  }
  for (const auto& [name, value] : after) EXPECT_EQ(value, "") << name;

  order.clear();
  s.clear();
  EXPECT_EQ(order, "");
}

}  // namespace
}  // namespace quenby

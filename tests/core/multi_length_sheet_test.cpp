#include "multilength/multi_length_sheet.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "calc/error.h"
#include "support/sheet_texts.h"
#include "support/utf.h"

namespace quenby {
namespace {

using Snapshot = std::map<std::string, std::string>;
Snapshot snapshot(const MultiLengthSheet& s) { return fieldTexts(s); }

std::string text(MultiLengthSheet& s, std::string_view name, int index = -1) {
  return u8(s.field(name, index).text());
}

// One line as typed: length, diameter class, count, unit price.
void enter(MultiLengthSheet& s, int r, const char* length, const char* diameter, const char* count,
           const char* price) {
  MultiLengthRow l = s.line(r);
  l.length.setText(u16(length));
  l.diameter.setText(u16(diameter));
  l.count.setText(u16(count));
  l.unitPrice.setText(u16(price));
}

TEST(MultiLengthSheet, HasNineteenLinesFiveSummaryFieldsAndFourHeadersAllEmpty) {
  MultiLengthSheet s;
  Snapshot m = snapshot(s);
  EXPECT_EQ(m.size(), 19u * 6 + 5 + 4);
  for (const auto& [name, value] : m) EXPECT_EQ(value, "") << name;
  for (const char* name : {"Text1(0)", "Text6(18)", "Text3(7)", "Text22(4)", "Text22(5)", "Text22(6)",
                           "Text22(7)", "Text22(10)", "Text27", "Text28", "Text29", "Text23"}) {
    EXPECT_EQ(m.count(name), 1u) << name;
  }
  for (const char* absent : {"Text1(19)", "Text7(0)", "Text22(0)", "Text22(8)", "Text22(11)", "Text24"}) {
    EXPECT_EQ(m.count(absent), 0u) << absent;
  }
  EXPECT_THROW(s.field("Text22", 3), std::out_of_range);
  EXPECT_THROW(s.line(19), std::out_of_range);
}

// ---- calculation -------------------------------------------------------------------------------

TEST(MultiLengthCalculation, EmptySheetEndsWithEveryFieldEmpty) {
  MultiLengthSheet s;
  s.calculate();
  for (const auto& [name, value] : snapshot(s)) EXPECT_EQ(value, "") << name;
}

TEST(MultiLengthCalculation, OneLineWithCountFiveAndPrice800) {
  MultiLengthSheet s;
  enter(s, 6, "4", "6", "5", "800");  // single log 0.0201, times 5
  s.calculate();
  EXPECT_EQ(text(s, "Text4", 6), "0.1005");
  EXPECT_EQ(text(s, "Text6", 6), "80.40");
  EXPECT_EQ(text(s, "Text22", 5), "5");
  EXPECT_EQ(text(s, "Text22", 4), "0.101");
  EXPECT_EQ(text(s, "Text22", 10), "80.40");
  EXPECT_EQ(text(s, "Text22", 6), "");
  Snapshot m = snapshot(s);
  for (const char* shown : {"Text1(6)", "Text2(6)", "Text3(6)", "Text4(6)", "Text5(6)", "Text6(6)",
                            "Text22(4)", "Text22(5)", "Text22(10)"}) {
    m.erase(shown);
  }
  for (const auto& [name, value] : m) EXPECT_EQ(value, "") << name;
}

// Expected texts worked out by hand from the volume formulas and the masks.
TEST(MultiLengthCalculation, FullLoadOfMixedLines) {
  struct Line {
    const char* name;
    const char *length, *diameter, *count, *price;
    const char *volume, *amount;
  };
  const Line lines[] = {
      {"large-diameter formula at a whole price", "4", "20", "3", "800", "0.4800", "384.00"},
      {"seven pieces of 26", "6", "26", "7", "650", "2.9610", "1924.65"},
      {"length 2 at a price with a fraction", "2", "14", "4", "720.5", "0.1440", "103.75"},
      {"13 takes the small-diameter formula", "8", "13", "1", "1000", "0.1770", "177.00"},
      {"rounded before the multiplication", "6", "12", "10", "900", "1.0500", "945.00"},
      {"length 10 keeps the middle band", "10", "30", "1", "1200", "1.0120", "1214.40"},
      {"diameter 6 keeps four decimals", "4", "6", "5", "800", "0.1005", "80.40"},
      {"no price: a volume and no amount", "2", "4", "2", "", "0.0082", ""},
      {"a short log up to 7 cm", "1", "6", "2", "500", "0.0068", "3.40"},
      {"a price below 1: no amount", "1.5", "8", "1", "0.5", "0.0090", ""},
      {"a long log above 7 cm", "12", "24", "1", "950", "0.8640", "820.80"},
      {"too long, too thin: no volume, amount 0.00", "12", "6", "3", "800", "", "0.00"},
      {"count 0: no volume, amount 0.00", "4", "20", "0", "800", "", "0.00"},
      {"price 1 at its threshold", "8", "14", "1", "1", "0.2140", "0.21"},
      {"a count with a fraction", "4", "20", "2.5", "800", "0.4000", "320.00"},
      {"an empty line stays empty", "", "", "", "", "", ""},
      {"an empty line stays empty", "", "", "", "", "", ""},
      {"an empty line stays empty", "", "", "", "", "", ""},
      {"an empty line stays empty", "", "", "", "", "", ""},
  };
  MultiLengthSheet s;
  for (int r = 0; r < 19; ++r)
    enter(s, r, lines[r].length, lines[r].diameter, lines[r].count, lines[r].price);
  s.averageUnitPrice().setText(u"700");
  s.calculate();
  for (int r = 0; r < 19; ++r) {
    EXPECT_EQ(text(s, "Text4", r), lines[r].volume) << "line " << r << ", " << lines[r].name;
    EXPECT_EQ(text(s, "Text6", r), lines[r].amount) << "line " << r << ", " << lines[r].name;
  }
  EXPECT_EQ(text(s, "Text22", 5), "43.5");
  EXPECT_EQ(text(s, "Text22", 4), "7.427");  // 7.4265 rounded half away from zero
  EXPECT_EQ(text(s, "Text22", 10), "5973.61");
  EXPECT_EQ(text(s, "Text22", 7), "700");
  EXPECT_EQ(text(s, "Text22", 6), "5198.90");

  Snapshot once = snapshot(s);
  s.calculate();
  EXPECT_EQ(snapshot(s), once);
}

TEST(MultiLengthCalculation, EdgeCases) {
  struct Case {
    const char* name;
    void (*setup)(MultiLengthSheet&);
    std::vector<std::pair<FieldId, const char*>> expected;
  };
  const Case cases[] = {
      {"counts 3 and 2.5 give a plain 5.5",
       [](MultiLengthSheet& s) {
         enter(s, 0, "4", "20", "3", "");
         enter(s, 18, "4", "20", "2.5", "");
       },
       {{{"Text22", 5}, "5.5"},
        {{"Text4", 0}, "0.4800"},
        {{"Text4", 18}, "0.4000"},
        {{"Text22", 4}, "0.880"}}},
      {"a count without a price shows its volume and no amount",
       [](MultiLengthSheet& s) { enter(s, 3, "4", "20", "3", ""); },
       {{{"Text4", 3}, "0.4800"}, {{"Text6", 3}, ""}, {{"Text22", 10}, ""}}},
      {"a price with count 0 shows no volume and an amount of 0.00",
       [](MultiLengthSheet& s) { enter(s, 9, "4", "20", "0", "800"); },
       {{{"Text4", 9}, ""}, {{"Text6", 9}, "0.00"}, {{"Text22", 5}, ""}, {{"Text22", 10}, ""}}},
      {"a price with no count at all shows 0.00 too",
       [](MultiLengthSheet& s) { enter(s, 2, "", "", "", "650"); },
       {{{"Text4", 2}, ""}, {{"Text6", 2}, "0.00"}}},
      {"count 0.5 sorts before 1: no volume, but it still counts",
       [](MultiLengthSheet& s) { enter(s, 4, "4", "20", "0.5", "800"); },
       {{{"Text4", 4}, ""}, {{"Text6", 4}, "0.00"}, {{"Text22", 5}, ""}}},
      {"average price 0.8 set at once is emptied, so is the amount at it",
       [](MultiLengthSheet& s) {
         enter(s, 0, "4", "20", "3", "800");
         s.averageUnitPrice().setText(u"0.8");
       },
       {{{"Text22", 7}, ""}, {{"Text22", 6}, ""}, {{"Text22", 4}, "0.480"}}},
      {"650 at a total volume shown as 1.234 gives 802.10",
       [](MultiLengthSheet& s) {
         enter(s, 0, "6", "12", "10", "");  // 1.0500
         enter(s, 1, "4", "20", "1", "");   // 0.1600
         enter(s, 2, "4", "6", "1", "");    // 0.0201
         enter(s, 3, "2", "4", "1", "");    // 0.0041
         s.averageUnitPrice().setText(u"650");
       },
       {{{"Text22", 4}, "1.234"}, {{"Text22", 6}, "802.10"}, {{"Text22", 5}, "13"}, {{"Text22", 10}, ""}}},
      {"a long thin log has no volume but its pieces count",
       [](MultiLengthSheet& s) { enter(s, 5, "11", "7", "4", "800"); },
       {{{"Text4", 5}, ""}, {{"Text6", 5}, "0.00"}, {{"Text22", 5}, "4"}, {{"Text22", 4}, ""}}},
      {"texts are read by their leading number",
       [](MultiLengthSheet& s) { enter(s, 7, "4,5", "20cm", "3件", "800元"); },
       {{{"Text4", 7}, "0.4800"}, {{"Text6", 7}, "384.00"}, {{"Text22", 5}, "3"}}},
      {"a volume typed by hand is overwritten",
       [](MultiLengthSheet& s) {
         enter(s, 1, "4", "20", "1", "");
         s.line(1).volume.setText(u"9.9999");
       },
       {{{"Text4", 1}, "0.1600"}}},
      {"a negative count gives a negative volume; the total is empty",
       [](MultiLengthSheet& s) { enter(s, 1, "4", "20", "-2", ""); },
       {{{"Text4", 1}, ""}, {{"Text22", 5}, ""}, {{"Text22", 4}, ""}}},
  };
  for (const Case& c : cases) {
    MultiLengthSheet s;
    c.setup(s);
    s.calculate();
    for (const auto& [id, value] : c.expected)
      EXPECT_EQ(u8(s.field(id).text()), value) << c.name << ": " << toString(id);
  }
}

TEST(MultiLengthCalculation, OverflowStopsAtItsStepAndKeepsWhatWasWritten) {
  MultiLengthSheet s;
  enter(s, 0, "4", "20", "3", "800");
  enter(s, 5, "4", "1E200", "1", "800");  // (D + L/2)² overflows
  enter(s, 9, "4", "20", "1", "800");
  s.line(9).volume.setText(u"7.7777");  // left from an earlier calculation
  s.line(0).amount.setText(u"1.00");
  s.totalCount().setText(u"12");
  try {
    s.calculate();
    FAIL() << "no error";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 6);
  }
  EXPECT_EQ(text(s, "Text4", 0), "0.4800");  // written before the failing line
  EXPECT_EQ(text(s, "Text4", 9), "7.7777");  // not reached: old text kept
  EXPECT_EQ(text(s, "Text6", 0), "1.00");
  EXPECT_EQ(text(s, "Text22", 5), "12");
  EXPECT_EQ(text(s, "Text2", 5), "1E200");
}

TEST(MultiLengthCalculation, OverflowInTheSumOfAmountsComesLast) {
  MultiLengthSheet s;
  enter(s, 0, "4", "20", "6", "1.5E308");  // 0.9600 x 1.5E308 is a double ...
  enter(s, 1, "4", "20", "6", "1.5E308");  // ... the sum of two is not
  s.averageUnitPrice().setText(u"2");
  s.amountSum().setText(u"12.00");
  EXPECT_THROW(s.calculate(), QuenbyError);
  EXPECT_EQ(text(s, "Text4", 1), "0.9600");
  EXPECT_EQ(text(s, "Text6", 1).substr(0, 4), "1440");
  EXPECT_EQ(text(s, "Text22", 5), "12");  // every step before the last one ran
  EXPECT_EQ(text(s, "Text22", 4), "1.920");
  EXPECT_EQ(text(s, "Text22", 6), "3.84");
  EXPECT_EQ(text(s, "Text22", 10), "12.00");
}

// ---- clearing rules ----------------------------------------------------------------------------

// A rule row: the text of the tested field, whether the cleared field keeps its text.
struct Boundary {
  const char* name;
  const char* tested;
  bool kept;
};

TEST(MultiLengthRules, VolumeIsClearedWhereTheCountSortsBeforeOne) {
  const Boundary rows[] = {
      {"an empty count", "", false},
      {"count 0", "0", false},
      {"a count below 1", "0.9", false},
      {"a full stop sorts before 1", ".5", false},
      {"a negative count", "-3", false},
      {"a leading blank sorts before 1", " 5", false},
      {"count 1 at the threshold", "1", true},
      {"1 as a proper prefix sorts after", "1.5", true},
      {"10 sorts after 1", "10", true},
      {"count 2", "2", true},
      {"count 9", "9", true},
  };
  for (const Boundary& b : rows) {
    MultiLengthSheet s;
    s.line(4).count.setText(u16(b.tested));
    s.line(4).volume.setText(u"7");  // typed into the volume
    EXPECT_EQ(text(s, "Text4", 4), b.kept ? "7" : "") << b.name << ": count '" << b.tested << "'";
  }
}

TEST(MultiLengthRules, AnyVolumeChangeExaminesEveryLine) {
  MultiLengthSheet s;
  for (int r : {2, 7, 10}) {
    s.line(r).count.setText(u"5");
    s.line(r).volume.setText(u"0.5000");
  }
  s.line(2).count.setText(u"");  // a count change alone triggers nothing
  s.line(7).count.setText(u"0");
  EXPECT_EQ(text(s, "Text4", 2), "0.5000");
  EXPECT_EQ(text(s, "Text4", 7), "0.5000");
  s.line(10).volume.setText(u"0.6000");
  EXPECT_EQ(text(s, "Text4", 2), "");
  EXPECT_EQ(text(s, "Text4", 7), "");
  EXPECT_EQ(text(s, "Text4", 10), "0.6000");
}

TEST(MultiLengthRules, AmountIsClearedWherePriceSortsBeforeOne) {
  const Boundary rows[] = {
      {"an empty price", "", false},           {"a price below 1", "0.9", false},
      {"a price just below 1", "0.99", false}, {"a leading blank sorts before 1", " 800", false},
      {"price 1 at the threshold", "1", true}, {"a price above 1", "1.5", true},
      {"an ordinary price", "800", true},
  };
  for (const Boundary& b : rows) {
    MultiLengthSheet s;
    s.line(2).unitPrice.setText(u16(b.tested));
    s.line(2).amount.setText(u"12.00");
    EXPECT_EQ(text(s, "Text6", 2), b.kept ? "12.00" : "") << b.name << ": price '" << b.tested << "'";
  }
  // A price change alone triggers nothing; the next change of any amount does.
  MultiLengthSheet s;
  s.line(2).unitPrice.setText(u"1.5");
  s.line(2).amount.setText(u"12.00");
  s.line(2).unitPrice.setText(u"0.9");
  EXPECT_EQ(text(s, "Text6", 2), "12.00");
  s.line(16).amount.setText(u"3");
  EXPECT_EQ(text(s, "Text6", 2), "");
}

TEST(MultiLengthRules, SummaryFieldsBelowTheirThresholdsAreCleared) {
  struct Row {
    const char* name;
    int index;
    const char* typed;
    bool kept;
  };
  const Row rows[] = {
      {"total volume 0.000", 4, "0.000", false},
      {"total volume just below 0.001", 4, "0.0009", false},
      {"total volume at 0.001", 4, "0.001", true},
      {"total volume just above 0.001", 4, "0.002", true},
      {"an ordinary total volume", 4, "1.234", true},
      {"total count below 1", 5, "0.5", false},
      {"total count 0", 5, "0", false},
      {"total count at 1", 5, "1", true},
      {"total count above 1", 5, "2", true},
      {"a total count with a fraction", 5, "43.5", true},
      {"amount at the average price 0.00", 6, "0.00", false},
      {"amount at the average price just below 0.01", 6, "0.009", false},
      {"amount at the average price at 0.01", 6, "0.01", true},
      {"amount at the average price just above 0.01", 6, "0.02", true},
      {"an ordinary amount at the average price", 6, "802.10", true},
      {"average price below 1", 7, "0.8", false},
      {"average price with a leading full stop", 7, ".8", false},
      {"average price at 1", 7, "1", true},
      {"an ordinary average price", 7, "12", true},
      {"average price with a leading blank", 7, " 12", false},
      {"sum of amounts below 1", 10, "0.99", false},
      {"sum of amounts 0.00", 10, "0.00", false},
      {"sum of amounts at 1", 10, "1", true},
      {"sum of amounts above 1", 10, "1.5", true},
      {"an ordinary sum of amounts", 10, "80.40", true},
  };
  for (const Row& r : rows) {
    MultiLengthSheet s;
    s.field("Text22", r.index).setText(u16(r.typed));
    EXPECT_EQ(text(s, "Text22", r.index), r.kept ? r.typed : "")
        << r.name << ": Text22(" << r.index << ") '" << r.typed << "'";
  }
}

TEST(MultiLengthRules, AnAveragePriceTypedKeyByKeyLosesItsLeadingZero) {
  MultiLengthSheet s;
  Field& average = s.averageUnitPrice();
  for (char16_t key : std::u16string(u"0.8")) average.setText(average.text() + key);
  EXPECT_EQ(text(s, "Text22", 7), "8");

  average.setText(u"");
  for (char16_t key : std::u16string(u"12")) average.setText(average.text() + key);
  EXPECT_EQ(text(s, "Text22", 7), "12");

  average.setText(u"0.8");  // pasted at once
  EXPECT_EQ(text(s, "Text22", 7), "");
}

TEST(MultiLengthRules, RowsAndTotalsDoNotTriggerEachOther) {
  MultiLengthSheet s;
  s.totalVolume().setText(u"2.000");
  s.line(0).count.setText(u"3");
  s.line(0).volume.setText(u"0.4800");
  s.line(0).count.setText(u"");
  s.amountSum().setText(u"0.5");  // a summary change runs only the summary rule
  EXPECT_EQ(text(s, "Text4", 0), "0.4800");
  EXPECT_EQ(text(s, "Text22", 10), "");
  s.line(0).unitPrice.setText(u"");
  s.line(3).count.setText(u"2");
  s.line(3).volume.setText(u"0.1");  // a volume change runs the volume rule only
  EXPECT_EQ(text(s, "Text4", 0), "");
  EXPECT_EQ(text(s, "Text22", 4), "2.000");
}

// ---- clear -------------------------------------------------------------------------------------

TEST(MultiLengthClear, EmptiesLinesTotalsAveragePriceAndHeaders) {
  MultiLengthSheet s;
  for (int r = 0; r < 19; ++r) enter(s, r, "4", "20", "3", "800");
  s.averageUnitPrice().setText(u"700");
  for (const char* header : {"Text27", "Text28", "Text29", "Text23"}) s.field(header).setText(u"林场");
  s.calculate();
  ASSERT_EQ(text(s, "Text22", 6), "6384.00");
  ASSERT_EQ(text(s, "Text23"), "林场");
  s.clear();
  for (const auto& [name, value] : snapshot(s)) EXPECT_EQ(value, "") << name;

  int changes = 0;
  for (const NamedField& f : s.fields()) f.field->onChange([&] { ++changes; });
  s.clear();
  EXPECT_EQ(changes, 0);
}

}  // namespace
}  // namespace quenby

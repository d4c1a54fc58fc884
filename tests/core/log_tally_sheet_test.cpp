#include "logtally/log_tally_sheet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "calc/error.h"
#include "calc/numeric_text.h"
#include "log_tally_test_support.h"
#include "support/utf.h"

namespace quenby {
namespace {

TEST(LogTallySheet, FreshSheetHasTheStandardDiametersAndLengthFourInGroupZeroOnly) {
  LogTallySheet s;
  Snapshot m = snapshot(s);
  EXPECT_EQ(m.size(), 14u * 12 + 8 + 4 + 7 + 12 + 5);
  const char* diameters[] = {"4", "6", "8", "10", "12", "14", "16", "18", "20", "22", "24", "26", "28", "30"};
  for (int r = 1; r <= 14; ++r)
    for (int i = 0; i < 12; ++i) {
      std::string name = "Text" + std::to_string(r) + "(" + std::to_string(i) + ")";
      EXPECT_EQ(m[name], i % 3 == 0 ? diameters[r - 1] : "") << name;
      m.erase(name);
    }
  EXPECT_EQ(m["Text23"], "4");
  EXPECT_EQ(m["Combo4"], "购货单位");
  EXPECT_EQ(m["Combo2"], "车号");
  EXPECT_EQ(m["Combo5"], "出货单位");
  EXPECT_EQ(m["Combo1"], "联系人");
  EXPECT_EQ(m["Combo3"], "原木计算");
  for (const char* n : {"Text23", "Combo1", "Combo2", "Combo3", "Combo4", "Combo5"}) m.erase(n);
  for (const auto& [name, value] : m) EXPECT_EQ(value, "") << name;
}

TEST(LogTallySheet, GroupAccessorsFollowTheCrossedIndices) {
  LogTallySheet s;
  const struct {
    const char* name;
    const char* length;
    int countSubtotal, volumeSubtotal, amount;
  } groups[] = {{"group 0 takes the first places", "Text23", 0, 1, 0},
                {"group 1 follows in order", "Text15", 2, 3, 1},
                {"group 2 has its subtotals crossed", "Text26", 5, 4, 5},
                {"group 3 has its amount after group 2's", "Text21", 6, 7, 6}};
  for (int g = 0; g < 4; ++g) {
    SCOPED_TRACE(groups[g].name);
    EXPECT_EQ(&s.length(g), &s.field(groups[g].length));
    EXPECT_EQ(&s.countSubtotal(g), &s.field("Text16", groups[g].countSubtotal));
    EXPECT_EQ(&s.volumeSubtotal(g), &s.field("Text16", groups[g].volumeSubtotal));
    EXPECT_EQ(&s.amount(g), &s.field("Text19", groups[g].amount));
    EXPECT_EQ(&s.unitPrice(g), &s.field("Text18", g));
  }
  EXPECT_EQ(&s.cell(3, 4), &s.field("Text3", 4));
  EXPECT_THROW(s.field("Text19", 7), std::out_of_range);
  EXPECT_THROW(s.field("Text30"), std::out_of_range);
}

TEST(LogTallyCalculation, SmallLoadInGroupZero) {
  LogTallySheet s;
  smallLoad(s).calculate();
  EXPECT_EQ(u8(s.volume(9, 0).text()), "0.4800");
  EXPECT_EQ(u8(s.volume(6, 0).text()), "0.1660");
  EXPECT_EQ(text(s, "Text16", 0), "5");
  EXPECT_EQ(text(s, "Text16", 1), "0.646");
  EXPECT_EQ(text(s, "Text19", 0), "516.80");
  EXPECT_EQ(text(s, "Text19", 4), "5");
  EXPECT_EQ(text(s, "Text19", 3), "0.646");
  EXPECT_EQ(text(s, "Text19", 2), "516.80");
  EXPECT_EQ(text(s, "Text29"), "");
  for (int i : {2, 3, 4, 5, 6, 7}) EXPECT_EQ(text(s, "Text16", i), "") << i;
  for (int i : {1, 5, 6}) EXPECT_EQ(text(s, "Text19", i), "") << i;
  for (int g = 0; g < 4; ++g)
    for (int r = 1; r <= 14; ++r)
      if (g != 0 || (r != 9 && r != 6)) {
        EXPECT_EQ(u8(s.volume(r, g).text()), "") << r << "," << g;
      }

  set(s, "Text28", "780");
  s.calculate();
  EXPECT_EQ(text(s, "Text29"), "503.88");
}

TEST(LogTallyCalculation, EdgeCases) {
  {  // a long log of a small diameter counts its pieces but has no volume
    LogTallySheet s;
    s.length(1).setText(u"12");
    s.count(2, 1).setText(u"3");  // diameter 6
    s.count(9, 1).setText(u"1");  // diameter 20: (6 + 20)² × 9.6 / 10000 = 0.64896
    s.calculate();
    EXPECT_EQ(u8(s.volume(2, 1).text()), "");
    EXPECT_EQ(u8(s.volume(9, 1).text()), "0.6490");
    EXPECT_EQ(u8(s.countSubtotal(1).text()), "4");
    EXPECT_EQ(u8(s.volumeSubtotal(1).text()), "0.649");
  }
  {  // counts under an empty length: zero volumes shown, a zero subtotal
    LogTallySheet s;
    s.length(0).setText(u"");
    s.count(1, 0).setText(u"2");
    s.count(14, 0).setText(u"1");
    s.calculate();
    EXPECT_EQ(u8(s.volume(1, 0).text()), "0.0000");
    EXPECT_EQ(u8(s.volume(14, 0).text()), "0.0000");
    EXPECT_EQ(u8(s.volume(2, 0).text()), "");
    EXPECT_EQ(u8(s.countSubtotal(0).text()), "3");
    EXPECT_EQ(u8(s.volumeSubtotal(0).text()), "0.000");
  }
  {  // price "0": group 0 keeps "0.00", groups 1 to 3 are emptied
    LogTallySheet s;
    for (int g = 0; g < 4; ++g) {
      s.length(g).setText(u"4");
      s.count(9, g).setText(u"1");
      s.unitPrice(g).setText(u"0");
    }
    s.calculate();
    EXPECT_EQ(u8(s.amount(0).text()), "0.00");
    for (int g = 1; g < 4; ++g) EXPECT_EQ(u8(s.amount(g).text()), "") << g;
    EXPECT_EQ(text(s, "Text19", 2), "");
    EXPECT_EQ(text(s, "Text19", 3), "0.640");
  }
  {  // a sheet without counts or prices ends with every computed field empty
    LogTallySheet s;
    set(s, "Text28", "600");
    s.calculate();
    for (const NamedField& f : s.fields()) {
      std::string n = toString(f.id);
      if (n.rfind("Text16", 0) == 0 || n.rfind("Text19", 0) == 0 || n == "Text29") {
        EXPECT_EQ(u8(f.field->text()), "") << n;
      }
    }
    for (int g = 0; g < 4; ++g)
      for (int r = 1; r <= 14; ++r) EXPECT_EQ(u8(s.volume(r, g).text()), "");
  }
  {  // a priced group shows its amount as 0.00 even without pieces; the zero total is blank
    LogTallySheet s;
    for (int g = 0; g < 4; ++g) s.unitPrice(g).setText(u"500");
    s.calculate();
    for (int g = 0; g < 4; ++g) EXPECT_EQ(u8(s.amount(g).text()), "0.00") << g;
    EXPECT_EQ(text(s, "Text19", 2), "");
    EXPECT_EQ(u8(s.volumeSubtotal(0).text()), "");
  }
}

TEST(LogTallyCalculation, ClickingTwiceGivesTheSameTexts) {
  LogTallySheet s;
  smallLoad(s);
  s.length(2).setText(u"6");
  s.count(5, 2).setText(u"10");
  s.unitPrice(2).setText(u"700");
  set(s, "Text28", "750");
  s.calculate();
  Snapshot once = snapshot(s);
  s.calculate();
  EXPECT_EQ(snapshot(s), once);
}

TEST(LogTallyCalculation, ArithmeticErrorStopsAtItsStep) {
  LogTallySheet s;
  s.count(1, 0).setText(u"2");
  s.count(5, 1).setText(u"2");
  s.volume(5, 1).setText(u"9.9999");  // stale, from an earlier calculation
  s.count(3, 1).setText(u"1");        // diameter 8 under a length of 1E200: overflow
  s.length(1).setText(u"1E200");
  set(s, "Text16", 0, "7");
  set(s, "Text19", 4, "12");
  try {
    s.calculate();
    FAIL() << "no error";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 6);
  }
  EXPECT_EQ(u8(s.volume(1, 0).text()), "0.0226");  // written before the failing step
  EXPECT_EQ(u8(s.volume(5, 1).text()), "9.9999");  // after it: old text kept
  EXPECT_EQ(text(s, "Text16", 0), "7");
  EXPECT_EQ(text(s, "Text19", 4), "12");
  EXPECT_EQ(u8(s.length(1).text()), "1E200");
}

// Integer reference: volumes in 1/10000 m³, computed here from the formulas in long double.
long long singleLogUnits(int d, double l, bool* none) {
  long double D = d, L = l, a, v;
  *none = false;
  if (L > 10 && D <= 7) {
    *none = true;
    return 0;
  }
  if (L < 2 || L > 10) {
    a = D + L / 2;
    v = 0.8L * L * a * a / 10000;
  } else if (D <= 13) {
    a = D + 0.45L * L + 0.2L;
    v = 0.7854L * L * a * a / 10000;
  } else {
    a = D + L / 2 + 0.005L * L * L + 0.000125L * L * (14 - L) * (14 - L) * (D - 10);
    v = 0.7854L * L * a * a / 10000;
  }
  return D <= 7 ? llroundl(v * 10000) : 10 * llroundl(v * 1000);
}

long long roundDiv(long long x, long long by) { return (x >= 0 ? x + by / 2 : x - by / 2) / by; }

std::string fixed(long long units, int decimals) {
  std::string digits = std::to_string(std::llabs(units));
  if (digits.size() <= static_cast<size_t>(decimals)) digits.insert(0, decimals + 1 - digits.size(), '0');
  return (units < 0 ? "-" : "") + digits.substr(0, digits.size() - decimals) + "." +
         digits.substr(digits.size() - decimals);
}

TEST(LogTallyCalculation, FullSheetAgainstAnIndependentReference) {
  LogTallySheet s;
  const char* lengths[] = {"4", "1.5", "10", "12"};  // middle band, short, upper bound, long
  const double lengthValues[] = {4, 1.5, 10, 12};
  const char* prices[] = {"800", "650.5", "720", "1000"};
  const long long priceTenths[] = {8000, 6505, 7200, 10000};
  for (int g = 0; g < 4; ++g) {
    s.length(g).setText(u16(lengths[g]));
    s.unitPrice(g).setText(u16(prices[g]));
    for (int r = 1; r <= 14; ++r) s.count(r, g).setText(u16(std::to_string(r + g)));
  }
  set(s, "Text28", "700");
  s.calculate();

  long long totalCount = 0, totalVolume = 0, totalAmount = 0;
  for (int g = 0; g < 4; ++g) {
    long long count = 0, volume = 0;
    for (int r = 1; r <= 14; ++r) {
      bool none;
      long long units = singleLogUnits(2 * r + 2, lengthValues[g], &none) * (r + g);
      count += r + g;
      volume += units;
      EXPECT_EQ(u8(s.volume(r, g).text()), none ? "" : fixed(units, 4)) << "row " << r << " group " << g;
    }
    long long volume3 = roundDiv(volume, 10);
    long long amount2 = roundDiv(priceTenths[g] * volume3, 100);
    EXPECT_EQ(u8(s.countSubtotal(g).text()), std::to_string(count)) << g;
    EXPECT_EQ(u8(s.volumeSubtotal(g).text()), fixed(volume3, 3)) << g;
    EXPECT_EQ(u8(s.amount(g).text()), fixed(amount2, 2)) << g;
    totalCount += count, totalVolume += volume3, totalAmount += amount2;
  }
  EXPECT_EQ(text(s, "Text19", 4), std::to_string(totalCount));
  EXPECT_EQ(text(s, "Text19", 3), fixed(totalVolume, 3));
  EXPECT_EQ(text(s, "Text19", 2), fixed(totalAmount, 2));
  EXPECT_EQ(text(s, "Text29"), fixed(roundDiv(700 * totalVolume, 10), 2));
  EXPECT_EQ(u8(s.length(1).text()), "1.5");  // inputs untouched
  EXPECT_EQ(text(s, "Text28"), "700");
}

}  // namespace
}  // namespace quenby

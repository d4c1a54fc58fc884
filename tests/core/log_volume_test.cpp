#include "calc/log_volume.h"

#include <gtest/gtest.h>

#include "calc/error.h"
#include "calc/numeric_text.h"
#include "support/utf.h"

namespace quenby {
namespace {

struct Line {
  const char* name;
  const char* diameter;
  const char* count;
  const char* length;
  int branch;          // 0: no branch applies
  const char* single;  // single-log text
  const char* result;  // line volume text; nullptr: no value
};

void expectLine(const Line& c) {
  SCOPED_TRACE(std::string(c.name) + ": D=" + c.diameter + " N=" + c.count + " L=" + c.length);
  Field d(u16(c.diameter)), n(u16(c.count)), l(u16(c.length));
  auto single = singleLogVolume(leadingNumber(d.text()), leadingNumber(l.text()));
  auto result = CaiJiJiSuan(d, n, l);
  if (c.branch == 0) {
    EXPECT_FALSE(single.has_value());
    EXPECT_FALSE(result.has_value());
    return;
  }
  ASSERT_TRUE(single.has_value());
  EXPECT_EQ(single->branch, c.branch);
  EXPECT_EQ(u8(single->text), c.single);
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(u8(*result), c.result);
}

TEST(CaiJiJiSuan, WorkedValues) {
  const Line cases[] = {
      {"large-diameter formula, three pieces", "20", "3", "4", 5, "0.160", "0.4800"},
      {"large-diameter formula, one piece", "20", "1", "4", 5, "0.160", "0.1600"},
      {"large-diameter formula, seven pieces", "26", "7", "6", 5, "0.423", "2.9610"},
      {"14 at length 2 takes the large-diameter formula", "14", "4", "2", 5, "0.036", "0.1440"},
      {"14 at length 8 takes the large-diameter formula", "14", "1", "8", 5, "0.214", "0.2140"},
      {"13 takes the small-diameter formula", "13", "1", "8", 4, "0.177", "0.1770"},
      {"small-diameter formula, ten pieces", "12", "10", "6", 4, "0.105", "1.0500"},
      {"length 10 keeps the middle band", "30", "1", "10", 5, "1.012", "1.0120"},
      {"diameter 6 keeps four decimals", "6", "5", "4", 3, "0.0201", "0.1005"},
      {"length 2 joins the middle band", "4", "2", "2", 3, "0.0041", "0.0082"},
      {"a short log up to 7 cm keeps four decimals", "6", "2", "1", 1, "0.0034", "0.0068"},
      {"a short log above 7 cm keeps three decimals", "8", "1", "1.5", 2, "0.009", "0.0090"},
      {"a long log above 7 cm", "24", "1", "12", 6, "0.864", "0.8640"},
  };
  for (const auto& c : cases) expectLine(c);
}

TEST(CaiJiJiSuan, EdgeCases) {
  const Line cases[] = {
      {"forty pieces", "20", "40", "4", 5, "0.160", "6.4000"},
      {"a long log of 7 cm or less has no value", "7", "3", "12", 0, "", nullptr},
      {"just over 10 m with a small diameter has no value", "4", "3", "10.5", 0, "", nullptr},
      {"an empty diameter and count read as 0", "", "", "4", 3, "0.0013", "0.0000"},
      {"all three fields empty", "", "", "", 1, "0.0000", "0.0000"},
      {"a negative count gives a negative volume", "20", "-2", "4", 5, "0.160", "-0.3200"},
      {"a unit after the diameter is ignored", "20cm", "3", "4", 5, "0.160", "0.4800"},
      {"a comma ends the length: 4", "20", "3", "4,5", 5, "0.160", "0.4800"},
      {"rounded before the multiplication, not 1.0462", "12", "10", "6", 4, "0.105", "1.0500"},
      {"letters read as 0", "abc", "x", "y", 1, "0.0000", "0.0000"},
  };
  for (const auto& c : cases) expectLine(c);
}

// Bounds exactly as tabled: 2 and 10 belong to the middle length band, 7 to the lower diameter
// band, 13 to the small-diameter formula and 14 to the large-diameter one.
TEST(CaiJiJiSuan, BandBoundaries) {
  const struct {
    const char* name;
    const char* diameter;
    const char* length;
    int branch;
  } cases[] = {
      {"just below length 2, up to 7 cm", "6", "1.9999999", 1},
      {"just below length 2, above 7 cm", "8", "1.9999999", 2},
      {"2 belongs to the middle length band, up to 7 cm", "6", "2", 3},
      {"2 belongs to the middle length band, small diameter", "8", "2", 4},
      {"2 belongs to the middle length band, large diameter", "20", "2", 5},
      {"10 belongs to the middle length band, up to 7 cm", "6", "10", 3},
      {"10 belongs to the middle length band, 13 cm", "13", "10", 4},
      {"10 belongs to the middle length band, large diameter", "20", "10", 5},
      {"just above length 10, above 7 cm", "8", "10.000001", 6},
      {"just above length 10, 7 cm: no value", "7", "10.000001", 0},
      {"7 belongs to the lower diameter band", "7", "4", 3},
      {"just above 7 takes the small-diameter formula", "7.0000001", "4", 4},
      {"7 on a short log belongs to the lower band", "7", "1", 1},
      {"just above 7 on a short log", "7.0000001", "1", 2},
      {"13 belongs to the small-diameter formula", "13", "4", 4},
      {"above 13 takes the large-diameter formula", "13.5", "4", 5},
      {"14 takes the large-diameter formula", "14", "4", 5},
      {"a long log of 7 cm: no value", "7", "12", 0},
      {"a long log just above 7 cm", "7.0000001", "12", 6},
      {"a long log of negative diameter: no value", "-5", "12", 0},
  };
  for (const auto& c : cases) {
    auto single = singleLogVolume(leadingNumber(u16(c.diameter)), leadingNumber(u16(c.length)));
    EXPECT_EQ(single ? single->branch : 0, c.branch) << c.name << ": D=" << c.diameter << " L=" << c.length;
  }
}

TEST(CaiJiJiSuan, AbsurdInputsEndInTheArithmeticError) {
  const struct {
    const char* name;
    const char* diameter;
    const char* count;
    const char* length;
  } cases[] = {
      {"a diameter of 1E200", "1E200", "1", "4"},
      {"a diameter beyond the double range", "1e400", "1", "4"},
      {"a length of 1E200", "20", "1", "1E200"},
      {"a count beyond the double range", "20", "1e400", "4"},
      {"a diameter whose square overflows", "1E160", "1", "1"},
      {"a diameter below the double range", "-1e400", "1", "4"},
  };
  for (const auto& c : cases) {
    Field d(u16(c.diameter)), n(u16(c.count)), l(u16(c.length));
    try {
      auto r = CaiJiJiSuan(d, n, l);
      ADD_FAILURE() << c.name << ": no error, result " << (r ? u8(*r) : "none") << " for D=" << c.diameter
                    << " N=" << c.count << " L=" << c.length;
    } catch (const QuenbyError& e) {
      EXPECT_TRUE(e.is(ErrorCode::Overflow) || e.is(ErrorCode::InvalidOperation))
          << c.name << ": " << e.number() << " D=" << c.diameter;
    }
  }
}

}  // namespace
}  // namespace quenby

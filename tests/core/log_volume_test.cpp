#include "calc/log_volume.h"

#include <gtest/gtest.h>

#include "calc/error.h"
#include "calc/numeric_text.h"
#include "support/utf.h"

namespace quenby {
namespace {

struct Line {
  const char* diameter;
  const char* count;
  const char* length;
  int branch;          // 0: no branch applies
  const char* single;  // single-log text
  const char* result;  // line volume text; nullptr: no value
};

void expectLine(const Line& c) {
  SCOPED_TRACE(std::string("D=") + c.diameter + " N=" + c.count + " L=" + c.length);
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
      {"20", "3", "4", 5, "0.160", "0.4800"},  {"20", "1", "4", 5, "0.160", "0.1600"},
      {"26", "7", "6", 5, "0.423", "2.9610"},  {"14", "4", "2", 5, "0.036", "0.1440"},
      {"14", "1", "8", 5, "0.214", "0.2140"},  {"13", "1", "8", 4, "0.177", "0.1770"},
      {"12", "10", "6", 4, "0.105", "1.0500"}, {"30", "1", "10", 5, "1.012", "1.0120"},
      {"6", "5", "4", 3, "0.0201", "0.1005"},  {"4", "2", "2", 3, "0.0041", "0.0082"},
      {"6", "2", "1", 1, "0.0034", "0.0068"},  {"8", "1", "1.5", 2, "0.009", "0.0090"},
      {"24", "1", "12", 6, "0.864", "0.8640"},
  };
  for (const auto& c : cases) expectLine(c);
}

TEST(CaiJiJiSuan, EdgeCases) {
  const Line cases[] = {
      {"20", "40", "4", 5, "0.160", "6.4000"},  // forty pieces
      {"7", "3", "12", 0, "", nullptr},         // long log, small diameter: no value
      {"4", "3", "10.5", 0, "", nullptr},
      {"", "", "4", 3, "0.0013", "0.0000"},      // empty diameter and count
      {"", "", "", 1, "0.0000", "0.0000"},       // everything empty
      {"20", "-2", "4", 5, "0.160", "-0.3200"},  // negative count
      {"20cm", "3", "4", 5, "0.160", "0.4800"},  // trailing unit ignored
      {"20", "3", "4,5", 5, "0.160", "0.4800"},  // comma ends the length: 4
      {"12", "10", "6", 4, "0.105", "1.0500"},   // rounded before the multiplication, not 1.0462
      {"abc", "x", "y", 1, "0.0000", "0.0000"},
  };
  for (const auto& c : cases) expectLine(c);
}

// Bounds exactly as tabled: 2 and 10 belong to the middle length band, 7 to the lower diameter
// band, 13 to the small-diameter formula and 14 to the large-diameter one.
TEST(CaiJiJiSuan, BandBoundaries) {
  const struct {
    const char* diameter;
    const char* length;
    int branch;
  } cases[] = {
      {"6", "1.9999999", 1}, {"8", "1.9999999", 2}, {"6", "2", 3},          {"8", "2", 4},
      {"20", "2", 5},        {"6", "10", 3},        {"13", "10", 4},        {"20", "10", 5},
      {"8", "10.000001", 6}, {"7", "10.000001", 0}, {"7", "4", 3},          {"7.0000001", "4", 4},
      {"7", "1", 1},         {"7.0000001", "1", 2}, {"13", "4", 4},         {"13.5", "4", 5},
      {"14", "4", 5},        {"7", "12", 0},        {"7.0000001", "12", 6}, {"-5", "12", 0},
  };
  for (const auto& c : cases) {
    auto single = singleLogVolume(leadingNumber(u16(c.diameter)), leadingNumber(u16(c.length)));
    EXPECT_EQ(single ? single->branch : 0, c.branch) << "D=" << c.diameter << " L=" << c.length;
  }
}

TEST(CaiJiJiSuan, AbsurdInputsEndInTheArithmeticError) {
  const struct {
    const char* diameter;
    const char* count;
    const char* length;
  } cases[] = {
      {"1E200", "1", "4"},  {"1e400", "1", "4"}, {"20", "1", "1E200"},
      {"20", "1e400", "4"}, {"1E160", "1", "1"}, {"-1e400", "1", "4"},
  };
  for (const auto& c : cases) {
    Field d(u16(c.diameter)), n(u16(c.count)), l(u16(c.length));
    try {
      auto r = CaiJiJiSuan(d, n, l);
      ADD_FAILURE() << "no error, result " << (r ? u8(*r) : "none") << " for D=" << c.diameter
                    << " N=" << c.count << " L=" << c.length;
    } catch (const QuenbyError& e) {
      EXPECT_TRUE(e.is(ErrorCode::Overflow) || e.is(ErrorCode::InvalidOperation))
          << e.number() << " D=" << c.diameter;
    }
  }
}

}  // namespace
}  // namespace quenby

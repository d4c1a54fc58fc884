#include "calc/numeric_text.h"
#include "support/utf.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <random>

#include "calc/error.h"

namespace quenby {
namespace {

const double kInf = std::numeric_limits<double>::infinity();

struct ReadCase {
  const char* text;
  double value;
};

TEST(LeadingNumber, ReadsTheLeadingNumberOfAnyText) {
  const ReadCase cases[] = {
      {"12.5", 12.5},
      {"20cm", 20},
      {"4,5", 4},
      {"1 2", 12},
      {"abc", 0},
      {"-3", -3},
      {"007", 7},
      {".5", 0.5},
      {"1e3", 1000},
      {"-", 0},
      {"3.4.5", 3.4},
      {"", 0},
      {"\t1\n2 .5", 12.5},
      {"+5", 5},
      {" - 7", -7},
      {"1D2", 100},
      {"1d-2", 0.01},
      {"2E+3x", 2000},
      {"1e", 1},
      {"1e+", 1},
      {"5.", 5},
      {".", 0},
      {"-.25", -0.25},
      {"1e3.5", 1000},
      {"&H1F", 31},
      {"&hff", 255},
      {"&O17", 15},
      {"&o9", 0},
      {"&H", 0},
      {"&", 0},
      {"-&H10", 0},
      {"&H 1 0", 16},
      {"1\r2", 1},
      {"１２", 0},
      {"0.1", 0.1},
      {"2.675", 2.675},
      {"1e-400", 0},
      {"00000.5e1", 5},
      {"--5", 0},
      {"5-3", 5},
      {"123456789012345678901234567890", 1.2345678901234568e29},
      {"4.9406564584124654e-324", 4.9406564584124654e-324},
      {"1.7976931348623157e308", DBL_MAX},
  };
  for (const auto& c : cases) EXPECT_EQ(leadingNumber(u16(c.text)), c.value) << '"' << c.text << '"';
}

TEST(LeadingNumber, ExponentBeyondTheRangeReadsAsInfinityWithoutFailing) {
  EXPECT_EQ(leadingNumber(u"1e400"), kInf);
  EXPECT_EQ(leadingNumber(u"-1E400"), -kInf);
  EXPECT_EQ(leadingNumber(u"1e99999999999999999999"), kInf);
  EXPECT_EQ(leadingNumber(u"0e400"), 0);
  EXPECT_EQ(leadingNumber(u"0.0000001e-99999999999"), 0);
}

TEST(StrictNumber, AcceptsWholeNumbersOnly) {
  const ReadCase good[] = {{"0.160", 0.16}, {" 1.5 ", 1.5}, {"-0.0034", -0.0034}, {"1e3", 1000},
                           {"&H10", 16},    {"7", 7},       {"1.012", 1.012}};
  for (const auto& c : good) EXPECT_EQ(strictNumber(u16(c.text)), c.value) << c.text;

  for (const char* bad : {"", " ", "abc", "1 2", "1.2.3", "20cm", "-", "1e", "&H", ".", "4,5"}) {
    try {
      strictNumber(u16(bad));
      ADD_FAILURE() << '"' << bad << "\" was accepted";
    } catch (const QuenbyError& e) {
      EXPECT_EQ(e.number(), 13);
      EXPECT_EQ(e.number(), 13);
    }
  }
}

struct MaskCase {
  double value;
  Mask mask;
  const char* text;
};

TEST(FormatMasked, RoundsHalfAwayFromZeroOnTheFifteenDigitDecimalForm) {
  const MaskCase cases[] = {
      {0.00125664, Mask::Decimals4, "0.0013"},
      {0.0201062, Mask::Decimals4, "0.0201"},
      {0, Mask::Decimals3, "0.000"},
      {1.0005, Mask::Decimals3, "1.001"},  // binary value 1.000499999…
      {0.125, Mask::Decimals2, "0.13"},
      {2.675, Mask::Decimals2, "2.68"},  // binary value 2.67499999…
      {1.005, Mask::Decimals2, "1.01"},  // binary value 1.00499999…
      {-2.675, Mask::Decimals2, "-2.68"},
      {0.00005, Mask::Decimals4, "0.0001"},
      {0.0000499999, Mask::Decimals4, "0.0000"},
      {0.000004, Mask::Decimals4, "0.0000"},
      {0.9995, Mask::Decimals3, "1.000"},
      {9.9995, Mask::Decimals3, "10.000"},
      {99.995, Mask::Decimals2, "100.00"},
      {123.456, Mask::Decimals2, "123.46"},
      {-0.32, Mask::Decimals4, "-0.3200"},
      {516.8, Mask::Decimals2, "516.80"},
      {0.646, Mask::Decimals3, "0.646"},
      {1e20, Mask::Decimals2, "100000000000000000000.00"},
      {123456789012345678.0, Mask::Decimals2, "123456789012346000.00"},
      {4.9406564584124654e-324, Mask::Decimals4, "0.0000"},
      {-0.00001, Mask::Decimals2, "0.00"},  // no minus sign on a zero
      {-0.0, Mask::Decimals3, "0.000"},
  };
  for (const auto& c : cases) EXPECT_EQ(u8(formatMasked(c.value, c.mask)), c.text) << c.value;

  std::string max = u8(formatMasked(DBL_MAX, Mask::Decimals2));
  EXPECT_EQ(max.size(), 309u + 3u);
  EXPECT_EQ(max.substr(0, 16), "1797693134862320");
}

TEST(FormatPlain, WritesUpToFifteenSignificantDigits) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {12, "12"},
      {12.5, "12.5"},
      {0, "0"},
      {-0.0, "0"},
      {-3.5, "-3.5"},
      {105, "105"},
      {0.1 + 0.2, "0.3"},
      {999999999999999, "999999999999999"},
      {99999999999999.9, "99999999999999.9"},
      {1e15, "1E+15"},
      {1e16, "1E+16"},
      {-1e15, "-1E+15"},
      {1.5e16, "1.5E+16"},
      {999999999999999.9, "1E+15"},
      {123456789012345678.0, "1.23456789012346E+17"},
      {1e100, "1E+100"},
      {0.5, "0.5"},
      {0.0001, "0.0001"},
      {0.00012, "0.00012"},
      {0.00001, "1E-05"},
      {1.5e-7, "1.5E-07"},
      {1e-300, "1E-300"},
      {DBL_MAX, "1.79769313486232E+308"},
  };
  for (const auto& c : cases) EXPECT_EQ(u8(formatPlain(c.value)), c.text) << c.value;
}

TEST(Format, NonFiniteValuesRaiseTheArithmeticError) {
  for (double v : {kInf, -kInf}) {
    EXPECT_THROW(formatMasked(v, Mask::Decimals2), QuenbyError);
    EXPECT_THROW(formatPlain(v), QuenbyError);
  }
  try {
    formatMasked(std::nan(""), Mask::Decimals3);
    ADD_FAILURE();
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 5);
  }
}

// Every written number must read back: masked output to within half a unit of its last decimal,
// plain output to fifteen significant digits.
TEST(Format, OutputReadsBackByTheLeadingNumberRule) {
  std::mt19937_64 random(20261208);
  std::uniform_real_distribution<double> exponent(-8, 19);
  for (int i = 0; i < 20000; ++i) {
    double value = std::pow(10.0, exponent(random)) * (random() % 2 ? 1 : -1);
    for (Mask m : {Mask::Decimals4, Mask::Decimals3, Mask::Decimals2}) {
      double half = 0.5 * std::pow(10.0, -decimalsOf(m));
      double back = leadingNumber(formatMasked(value, m));
      ASSERT_LE(std::fabs(back - value), half * (1 + 1e-9) + std::fabs(value) * 1e-14) << value;
    }
    double plain = leadingNumber(formatPlain(value));
    ASSERT_LE(std::fabs(plain - value), std::fabs(value) * 5e-15) << value;
  }
}

TEST(SortsBefore, IsOrdinalOnCodeUnitsWithProperPrefixesFirst) {
  const struct {
    const char16_t* text;
    const char16_t* threshold;
    bool before;
  } cases[] = {
      {u"0.5", u"1", true},
      {u"10", u"1", false},
      {u" 5", u"0", true},
      {u"", u"0", true},
      {u"0", u"0", false},
      {u"0", u"1", true},
      {u"0.00", u"0.0001", true},
      {u"0", u"0.0001", true},
      {u"0.0001", u"0.0001", false},
      {u"-3", u"0", true},
      {u"1", u"1", false},
      {u"1.5", u"1", false},
      {u"00", u"0", false},
      {u"五", u"1", false},
      {u"A", u"1", false},
      // against "0.01"
      {u"", u"0.01", true},
      {u"0", u"0.01", true},
      {u"0.00", u"0.01", true},
      {u"0.005", u"0.01", true},
      {u"-3", u"0.01", true},
      {u".5", u"0.01", true},
      {u"0.01", u"0.01", false},
      {u"0.0100", u"0.01", false},
      {u"0.5", u"0.01", false},
      {u"25.00", u"0.01", false},
      // against "0.00001"
      {u"0.0000", u"0.00001", true},
      {u"0.0001", u"0.00001", false},
      {u"0.00001", u"0.00001", false},
      // against "0.001"
      {u"0.00", u"0.001", true},
      {u"503.88", u"0.001", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(sortsBefore(c.text, c.threshold), c.before) << u8(c.text) << " vs " << u8(c.threshold);
}

TEST(CheckedArithmetic, RaisesTheArithmeticErrorInsteadOfInfinityOrNan) {
  // Finite results are the plain double results, not rounded to fewer digits.
  EXPECT_EQ(checked::add(0.1, 0.2), 0.30000000000000004);
  EXPECT_EQ(checked::mul(3, 0.16), 0.48);
  EXPECT_EQ(checked::sub(1, 0.25), 0.75);
  EXPECT_EQ(checked::div(1, 8), 0.125);
  EXPECT_EQ(checked::mul(-2, 0.5), -1);
  const struct {
    double (*op)(double, double);
    double a, b;
    ErrorCode code;
  } cases[] = {
      {checked::mul, 1e200, 1e200, ErrorCode::Overflow},
      {checked::add, DBL_MAX, DBL_MAX, ErrorCode::Overflow},
      {checked::add, kInf, 1, ErrorCode::Overflow},
      {checked::sub, kInf, kInf, ErrorCode::InvalidOperation},
      {checked::mul, kInf, 0, ErrorCode::InvalidOperation},
      {checked::div, 1, 0, ErrorCode::DivisionByZero},
      {checked::div, 0, 0, ErrorCode::InvalidOperation},
  };
  for (const auto& c : cases) {
    try {
      c.op(c.a, c.b);
      ADD_FAILURE() << c.a << ", " << c.b;
    } catch (const QuenbyError& e) {
      EXPECT_TRUE(e.is(c.code)) << e.number() << c.a << ", " << c.b;
      EXPECT_FALSE(e.description().empty());
    }
  }
}

TEST(Utf, ConvertsBothWaysIncludingSurrogatePairs) {
  const std::string texts[] = {"", "原木一", "每次打印前请先关闭*账单明细*", "𠀀x", "a\tb"};
  for (const auto& t : texts) EXPECT_EQ(u8(u16(t)), t);
  EXPECT_EQ(u16("𠀀").size(), 2u);
  EXPECT_EQ(u16("\xff"), u"\uFFFD");
}

}  // namespace
}  // namespace quenby

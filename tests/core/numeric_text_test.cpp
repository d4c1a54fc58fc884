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
  const char* name;
  const char* text;
  double value;
};

TEST(LeadingNumber, ReadsTheLeadingNumberOfAnyText) {
  const ReadCase cases[] = {
      {"a full stop is the decimal point", "12.5", 12.5},
      {"a unit after the number is ignored", "20cm", 20},
      {"a comma ends the number", "4,5", 4},
      {"a blank between digits is skipped", "1 2", 12},
      {"no digit reads as 0", "abc", 0},
      {"a minus sign", "-3", -3},
      {"leading zeros", "007", 7},
      {"no digit before the point", ".5", 0.5},
      {"an exponent", "1e3", 1000},
      {"a lone minus sign reads as 0", "-", 0},
      {"a second point ends the number", "3.4.5", 3.4},
      {"the empty text reads as 0", "", 0},
      {"tabs, line feeds and blanks are skipped", "\t1\n2 .5", 12.5},
      {"a plus sign", "+5", 5},
      {"a blank before and after the sign", " - 7", -7},
      {"D marks an exponent too", "1D2", 100},
      {"a negative exponent", "1d-2", 0.01},
      {"an exponent with its sign, then a letter", "2E+3x", 2000},
      {"an exponent letter without digits is ignored", "1e", 1},
      {"an exponent sign without digits is ignored", "1e+", 1},
      {"a trailing point", "5.", 5},
      {"a lone point reads as 0", ".", 0},
      {"a sign before the point", "-.25", -0.25},
      {"a point ends the exponent", "1e3.5", 1000},
      {"&H reads hexadecimal digits", "&H1F", 31},
      {"&h in lower case", "&hff", 255},
      {"&O reads octal digits", "&O17", 15},
      {"9 is no octal digit", "&o9", 0},
      {"&H without digits reads as 0", "&H", 0},
      {"a lone & reads as 0", "&", 0},
      {"no sign before &H", "-&H10", 0},
      {"blanks between hexadecimal digits", "&H 1 0", 16},
      {"a carriage return ends the number", "1\r2", 1},
      {"full-width digits are no digits", "１２", 0},
      {"0.1 reads as its nearest double", "0.1", 0.1},
      {"2.675 reads as its nearest double", "2.675", 2.675},
      {"an exponent below the range reads as 0", "1e-400", 0},
      {"leading zeros before an exponent", "00000.5e1", 5},
      {"a second sign ends the number", "--5", 0},
      {"a sign after the digits ends the number", "5-3", 5},
      {"more digits than a double holds", "123456789012345678901234567890", 1.2345678901234568e29},
      {"the smallest subnormal", "4.9406564584124654e-324", 4.9406564584124654e-324},
      {"the largest double", "1.7976931348623157e308", DBL_MAX},
  };
  for (const auto& c : cases)
    EXPECT_EQ(leadingNumber(u16(c.text)), c.value) << c.name << ": \"" << c.text << '"';
}

TEST(LeadingNumber, ExponentBeyondTheRangeReadsAsInfinityWithoutFailing) {
  EXPECT_EQ(leadingNumber(u"1e400"), kInf);
  EXPECT_EQ(leadingNumber(u"-1E400"), -kInf);
  EXPECT_EQ(leadingNumber(u"1e99999999999999999999"), kInf);
  EXPECT_EQ(leadingNumber(u"0e400"), 0);
  EXPECT_EQ(leadingNumber(u"0.0000001e-99999999999"), 0);
}

TEST(StrictNumber, AcceptsWholeNumbersOnly) {
  const ReadCase good[] = {
      {"a three-decimal volume as masked", "0.160", 0.16},
      {"blanks around the number", " 1.5 ", 1.5},
      {"a negative four-decimal volume", "-0.0034", -0.0034},
      {"an exponent", "1e3", 1000},
      {"hexadecimal after &H", "&H10", 16},
      {"a whole number", "7", 7},
      {"three decimals above 1", "1.012", 1.012},
  };
  for (const auto& c : good) EXPECT_EQ(strictNumber(u16(c.text)), c.value) << c.name << ": " << c.text;

  const struct {
    const char* name;
    const char* text;
  } bad[] = {
      {"the empty text", ""},      {"a lone blank", " "},
      {"letters", "abc"},          {"a blank between digits", "1 2"},
      {"a second point", "1.2.3"}, {"a unit after the number", "20cm"},
      {"a lone minus sign", "-"},  {"an exponent letter without digits", "1e"},
      {"&H without digits", "&H"}, {"a lone point", "."},
      {"a comma", "4,5"},
  };
  for (const auto& c : bad) {
    try {
      strictNumber(u16(c.text));
      ADD_FAILURE() << c.name << ": \"" << c.text << "\" was accepted";
    } catch (const QuenbyError& e) {
      EXPECT_EQ(e.number(), 13) << c.name;
      EXPECT_EQ(e.number(), 13) << c.name;
    }
  }
}

struct MaskCase {
  const char* name;
  double value;
  Mask mask;
  const char* text;
};

TEST(FormatMasked, RoundsHalfAwayFromZeroOnTheFifteenDigitDecimalForm) {
  const MaskCase cases[] = {
      {"four decimals round up", 0.00125664, Mask::Decimals4, "0.0013"},
      {"four decimals round down", 0.0201062, Mask::Decimals4, "0.0201"},
      {"zero keeps its decimals", 0, Mask::Decimals3, "0.000"},
      {"1.0005 rounds on its decimal form", 1.0005, Mask::Decimals3, "1.001"},  // binary value 1.000499999…
      {"a half rounds away from zero", 0.125, Mask::Decimals2, "0.13"},
      {"2.675 rounds on its decimal form", 2.675, Mask::Decimals2, "2.68"},  // binary value 2.67499999…
      {"1.005 rounds on its decimal form", 1.005, Mask::Decimals2, "1.01"},  // binary value 1.00499999…
      {"a negative half rounds away from zero", -2.675, Mask::Decimals2, "-2.68"},
      {"half the last decimal rounds up", 0.00005, Mask::Decimals4, "0.0001"},
      {"just below half the last decimal rounds down", 0.0000499999, Mask::Decimals4, "0.0000"},
      {"a tiny value shows as zero", 0.000004, Mask::Decimals4, "0.0000"},
      {"rounding carries into the units", 0.9995, Mask::Decimals3, "1.000"},
      {"rounding adds a digit", 9.9995, Mask::Decimals3, "10.000"},
      {"rounding adds a digit with two decimals", 99.995, Mask::Decimals2, "100.00"},
      {"two decimals round up", 123.456, Mask::Decimals2, "123.46"},
      {"a minus sign in front", -0.32, Mask::Decimals4, "-0.3200"},
      {"a trailing zero is written", 516.8, Mask::Decimals2, "516.80"},
      {"three decimals kept as they are", 0.646, Mask::Decimals3, "0.646"},
      {"no exponent and no separator", 1e20, Mask::Decimals2, "100000000000000000000.00"},
      {"fifteen significant digits", 123456789012345678.0, Mask::Decimals2, "123456789012346000.00"},
      {"the smallest subnormal shows as zero", 4.9406564584124654e-324, Mask::Decimals4, "0.0000"},
      {"no minus sign on a zero", -0.00001, Mask::Decimals2, "0.00"},
      {"negative zero shows as zero", -0.0, Mask::Decimals3, "0.000"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(u8(formatMasked(c.value, c.mask)), c.text) << c.name << ": " << c.value;

  std::string max = u8(formatMasked(DBL_MAX, Mask::Decimals2));
  EXPECT_EQ(max.size(), 309u + 3u);
  EXPECT_EQ(max.substr(0, 16), "1797693134862320");
}

TEST(FormatPlain, WritesUpToFifteenSignificantDigits) {
  const struct {
    const char* name;
    double value;
    const char* text;
  } cases[] = {
      {"a whole number", 12, "12"},
      {"a fraction without trailing zeros", 12.5, "12.5"},
      {"zero", 0, "0"},
      {"negative zero shows as 0", -0.0, "0"},
      {"a negative value", -3.5, "-3.5"},
      {"zeros inside the digits stay", 105, "105"},
      {"fifteen digits hide the binary error", 0.1 + 0.2, "0.3"},
      {"fifteen nines stay plain", 999999999999999, "999999999999999"},
      {"fifteen digits with a fraction", 99999999999999.9, "99999999999999.9"},
      {"1E15 takes the exponent form", 1e15, "1E+15"},
      {"a larger power of ten", 1e16, "1E+16"},
      {"a negative value in exponent form", -1e15, "-1E+15"},
      {"a fraction in exponent form", 1.5e16, "1.5E+16"},
      {"rounding to fifteen digits reaches 1E15", 999999999999999.9, "1E+15"},
      {"a long number keeps fifteen digits", 123456789012345678.0, "1.23456789012346E+17"},
      {"a three-digit exponent", 1e100, "1E+100"},
      {"a leading 0 below 1", 0.5, "0.5"},
      {"0.0001 stays plain", 0.0001, "0.0001"},
      {"below 0.001 stays plain", 0.00012, "0.00012"},
      {"below 0.0001 takes the exponent form", 0.00001, "1E-05"},
      {"a small fraction in exponent form", 1.5e-7, "1.5E-07"},
      {"a tiny value", 1e-300, "1E-300"},
      {"the largest double", DBL_MAX, "1.79769313486232E+308"},
  };
  for (const auto& c : cases) EXPECT_EQ(u8(formatPlain(c.value)), c.text) << c.name << ": " << c.value;
}

TEST(Format, NonFiniteValuesRaiseTheArithmeticError) {
  for (double v : {kInf, -kInf}) {
    EXPECT_THROW(formatMasked(v, Mask::Decimals2), QuenbyError) << v;
    EXPECT_THROW(formatPlain(v), QuenbyError) << v;
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
    const char* name;
    const char16_t* text;
    const char16_t* threshold;
    bool before;
  } cases[] = {
      {"a fraction sorts before 1", u"0.5", u"1", true},
      {"10 does not sort before 1", u"10", u"1", false},
      {"a leading blank sorts before 0", u" 5", u"0", true},
      {"the empty text sorts first", u"", u"0", true},
      {"a text equal to the threshold does not", u"0", u"0", false},
      {"0 sorts before 1", u"0", u"1", true},
      {"zeros with decimals sort before 0.0001", u"0.00", u"0.0001", true},
      {"a proper prefix sorts first", u"0", u"0.0001", true},
      {"0.0001 at its threshold does not", u"0.0001", u"0.0001", false},
      {"a minus sign sorts before the digits", u"-3", u"0", true},
      {"1 at its threshold does not", u"1", u"1", false},
      {"the threshold as a proper prefix sorts after", u"1.5", u"1", false},
      {"00 sorts after 0", u"00", u"0", false},
      {"a Chinese character sorts after the digits", u"五", u"1", false},
      {"a letter sorts after the digits", u"A", u"1", false},
      // against "0.01"
      {"the empty text is below 0.01", u"", u"0.01", true},
      {"0 is a prefix of 0.01", u"0", u"0.01", true},
      {"0.00 is below 0.01", u"0.00", u"0.01", true},
      {"half of 0.01 is below it", u"0.005", u"0.01", true},
      {"a negative amount is below 0.01", u"-3", u"0.01", true},
      {"a full stop sorts before 0", u".5", u"0.01", true},
      {"0.01 at its threshold does not", u"0.01", u"0.01", false},
      {"trailing zeros after 0.01 do not", u"0.0100", u"0.01", false},
      {"0.5 is above 0.01", u"0.5", u"0.01", false},
      {"an amount is above 0.01", u"25.00", u"0.01", false},
      // against "0.00001"
      {"four zeros are below the volume threshold", u"0.0000", u"0.00001", true},
      {"the smallest volume shown is not", u"0.0001", u"0.00001", false},
      {"0.00001 at its threshold does not", u"0.00001", u"0.00001", false},
      // against "0.001"
      {"0.00 is below 0.001", u"0.00", u"0.001", true},
      {"a total volume above 0.001", u"503.88", u"0.001", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(sortsBefore(c.text, c.threshold), c.before)
        << c.name << ": " << u8(c.text) << " vs " << u8(c.threshold);
}

TEST(CheckedArithmetic, RaisesTheArithmeticErrorInsteadOfInfinityOrNan) {
  // Finite results are the plain double results, not rounded to fewer digits.
  EXPECT_EQ(checked::add(0.1, 0.2), 0.30000000000000004);
  EXPECT_EQ(checked::mul(3, 0.16), 0.48);
  EXPECT_EQ(checked::sub(1, 0.25), 0.75);
  EXPECT_EQ(checked::div(1, 8), 0.125);
  EXPECT_EQ(checked::mul(-2, 0.5), -1);
  const struct {
    const char* name;
    double (*op)(double, double);
    double a, b;
    ErrorCode code;
  } cases[] = {
      {"a product beyond the range", checked::mul, 1e200, 1e200, ErrorCode::Overflow},
      {"a sum beyond the range", checked::add, DBL_MAX, DBL_MAX, ErrorCode::Overflow},
      {"an infinite operand", checked::add, kInf, 1, ErrorCode::Overflow},
      {"infinity less infinity", checked::sub, kInf, kInf, ErrorCode::InvalidOperation},
      {"infinity times zero", checked::mul, kInf, 0, ErrorCode::InvalidOperation},
      {"a division by zero", checked::div, 1, 0, ErrorCode::DivisionByZero},
      {"zero divided by zero", checked::div, 0, 0, ErrorCode::InvalidOperation},
  };
  for (const auto& c : cases) {
    try {
      c.op(c.a, c.b);
      ADD_FAILURE() << c.name << ": " << c.a << ", " << c.b;
    } catch (const QuenbyError& e) {
      EXPECT_TRUE(e.is(c.code)) << c.name << ": " << e.number() << " for " << c.a << ", " << c.b;
      EXPECT_FALSE(e.description().empty()) << c.name;
    }
  }
}

TEST(Utf, ConvertsBothWaysIncludingSurrogatePairs) {
  const struct {
    const char* name;
    std::string text;
  } texts[] = {
      {"the empty text", ""},
      {"Chinese", "原木一"},
      {"Chinese with stars", "每次打印前请先关闭*账单明细*"},
      {"a character beyond 16 bits", "𠀀x"},
      {"a tab", "a\tb"},
  };
  for (const auto& t : texts) EXPECT_EQ(u8(u16(t.text)), t.text) << t.name;
  EXPECT_EQ(u16("𠀀").size(), 2u);
  EXPECT_EQ(u16("\xff"), u"\uFFFD");
}

}  // namespace
}  // namespace quenby

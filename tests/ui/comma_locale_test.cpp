// Quenby run under a locale whose decimal separator is the comma, set for the C library, the C++
// library and Qt alike: numbers are still read and written with the full stop, so that every
// sheet reads its own results back.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QLocale>
#include <QTest>
#include <clocale>
#include <locale>
#include <memory>
#include <string>

#include "calc/log_volume.h"
#include "calc/numeric_text.h"
#include "logtally/form1.h"
#include "support/utf.h"

namespace quenby {
namespace {

class CommaLocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedC_ = std::setlocale(LC_ALL, nullptr);
    savedQt_ = QLocale();
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE.utf8", "fr_FR.utf8"}) {
      if (!std::setlocale(LC_ALL, name)) continue;
      std::locale::global(std::locale(name));
      set_ = true;
      break;
    }
    if (!set_)
      GTEST_SKIP()
          << "no locale with a decimal comma is installed; scripts/install-deps generates de_DE.UTF-8";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_EQ(QLocale().decimalPoint(), ",");
  }
  void TearDown() override {
    if (!set_) return;
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, savedC_.c_str());
    QLocale::setDefault(savedQt_);
  }

 private:
  std::string savedC_;
  QLocale savedQt_;
  bool set_ = false;
};

TEST_F(CommaLocaleTest, ConversionsKeepTheFullStop) {
  const struct {
    const char* name;
    const char16_t* text;
    double value;
  } reads[] = {
      {"a full stop is the decimal point", u"12.5", 12.5}, {"a comma still ends the number", u"4,5", 4},
      {"no digit before the point", u".5", 0.5},           {"an exponent after a fraction", u"1.5E3", 1500},
      {"a second point ends the number", u"3.4.5", 3.4},   {"a negative fraction", u"-0.25", -0.25},
  };
  for (const auto& r : reads) EXPECT_EQ(leadingNumber(r.text), r.value) << r.name << ": " << u8(r.text);
  EXPECT_EQ(strictNumber(u"0.4800"), 0.48);

  const struct {
    const char* name;
    double value;
    Mask mask;
    const char16_t* text;
  } masked[] = {
      {"four decimals after a full stop", 0.48, Mask::Decimals4, u"0.4800"},
      {"rounding on the decimal form", 1.0005, Mask::Decimals3, u"1.001"},
      {"two decimals with a trailing zero", 516.8, Mask::Decimals2, u"516.80"},
      {"a half rounds away from zero", 0.125, Mask::Decimals2, u"0.13"},
      {"a negative value", -2.5, Mask::Decimals3, u"-2.500"},
      {"no thousands separator", 1234567.891, Mask::Decimals2, u"1234567.89"},
  };
  for (const auto& m : masked)
    EXPECT_EQ(u8(formatMasked(m.value, m.mask)), u8(m.text)) << m.name << ": " << m.value;

  EXPECT_EQ(u8(formatPlain(12.5)), "12.5");
  EXPECT_EQ(u8(formatPlain(1e16)), "1E+16");
  EXPECT_EQ(u8(formatPlain(0.000015)), "1.5E-05");

  EXPECT_EQ(lineVolume(u"20", u"3", u"4"), u"0.4800");
  EXPECT_EQ(lineVolume(u"20", u"2", u"4.5"), u"0.3700");   // 2 × 0.185
  EXPECT_EQ(lineVolume(u"6", u"2.5", u"1.5"), u"0.0138");  // 2.5 × 0.0055
}

TEST_F(CommaLocaleTest, Form1CalculatesWithDecimalLengthsAndPrices) {
  Form1 form;
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  auto type = [&form](std::string_view name, int index, const char* keys) {
    QLineEdit* e = form.control<QLineEdit>({name, index});
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, QString::fromUtf8(keys));
  };
  type("Text9", 1, "3");  // diameter 20, group 0, length 4
  type("Text6", 1, "2");  // diameter 14
  type("Text18", 0, "800");
  type("Text15", -1, "4.5");
  type("Text9", 4, "2");  // diameter 20, group 1
  type("Text18", 1, "650.5");
  type("Text28", -1, "780");
  QTest::mouseClick(form.control({"Command7"}), Qt::LeftButton);

  const struct {
    std::string_view name;
    int index;
    const char* text;
  } expected[] = {
      {"Text9", 2, "0.4800"},   {"Text6", 2, "0.1660"}, {"Text9", 5, "0.3700"}, {"Text16", 0, "5"},
      {"Text16", 1, "0.646"},   {"Text16", 2, "2"},     {"Text16", 3, "0.370"}, {"Text19", 0, "516.80"},
      {"Text19", 1, "240.69"},  {"Text19", 4, "7"},     {"Text19", 3, "1.016"}, {"Text19", 2, "757.49"},
      {"Text29", -1, "792.48"}, {"Text15", -1, "4.5"},  {"Text18", 1, "650.5"},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(form.control<QLineEdit>({e.name, e.index})->text().toStdString(), e.text)
        << toString({e.name, e.index});
  }
}

}  // namespace
}  // namespace quenby

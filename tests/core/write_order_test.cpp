// The order in which each sheet's calculate() and clear() change its fields. Every write runs the
// clearing rules at once, so the order of the writes is part of what the buttons do: a listener on
// every field logs each change, nested ones included, and the log is compared with the order
// written out here.
//
// A change runs the field's listeners in the order they were subscribed, the sheet's clearing
// rules before the log's, so a field that a rule empties inside a write is logged just before the
// field whose write emptied it. A write of the text a field already holds changes nothing and is
// not logged: each case starts from texts that every write changes. The sawn-timber clear's order
// is checked with the rest of that clear, in sawn_timber_sheet_test.cpp.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "logtally/log_tally_sheet.h"
#include "multilength/multi_length_sheet.h"
#include "sawn/sawn_timber_sheet.h"

namespace quenby {
namespace {

using Log = std::vector<std::string>;

// Subscribes to every field of `sheet` after the sheet's own rules.
class ChangeLog {
 public:
  explicit ChangeLog(Sheet& sheet) {
    for (const NamedField& f : sheet.fields())
      f.field->onChange([this, id = f.id] { log_.push_back(toString(id)); });
  }
  Log take() { return std::exchange(log_, {}); }

 private:
  Log log_;
};

// One field a line, so that a failure shows where the orders part.
std::string lines(const Log& log) {
  std::string s;
  for (const std::string& name : log) s += name + "\n";
  return s;
}

std::string at(std::string_view array, int index) { return toString({array, index}); }
std::string textArray(int n) { return "Text" + std::to_string(n); }

// Every text field (no combo box) set to `text`. Twice: a rule may empty a field filled before the
// field that the rule tests (Text16(4) of the log tally before Text16(5)).
void fillTextFields(Sheet& sheet, std::u16string_view text) {
  for (int pass = 0; pass < 2; ++pass)
    for (const NamedField& f : sheet.fields())
      if (f.id.name.substr(0, 4) == "Text") f.field->setText(text);
  for (const NamedField& f : sheet.fields()) {
    if (f.id.name.substr(0, 4) != "Text") continue;
    ASSERT_EQ(f.field->text(), text) << toString(f.id);
  }
}

// Log tally: group g's cells of row r are Text<r>(3g), (3g + 1), (3g + 2).
constexpr int kRows = 14;

TEST(WriteOrder, LogTallyCalculate) {
  LogTallySheet s;
  // Every line counted and every group priced, so that every computed field gets a text and no
  // rule empties one.
  const char16_t* lengths[] = {u"4", u"5", u"6", u"2"};
  for (int g = 0; g < 4; ++g) {
    s.length(g).setText(lengths[g]);
    s.unitPrice(g).setText(u"100");
    for (int r = 1; r <= kRows; ++r) s.count(r, g).setText(u"1");
  }
  s.field("Text28").setText(u"500");
  ChangeLog log(s);
  s.calculate();

  Log expected;
  for (int g = 0; g < 4; ++g)
    for (int r = 1; r <= kRows; ++r) expected.push_back(at(textArray(r), 3 * g + 2));
  for (const auto& [array, index] : std::vector<std::pair<std::string_view, int>>{
           {"Text16", 2},
           {"Text16", 3},
           {"Text19", 1},  // group 1
           {"Text16", 0},
           {"Text16", 1},
           {"Text19", 0},  // group 0
           {"Text16", 5},
           {"Text16", 6},  // count subtotals of groups 2 and 3
           {"Text16", 4},
           {"Text16", 7},  // their volume subtotals
           {"Text19", 5},
           {"Text19", 6},  // their amounts
           {"Text19", 4},
           {"Text19", 3},
           {"Text19", 2},  // total count, volume, sum of amounts
       }) {
    expected.push_back(at(array, index));
  }
  expected.push_back("Text29");
  EXPECT_EQ(lines(log.take()), lines(expected));
}

TEST(WriteOrder, LogTallyClear) {
  LogTallySheet s;
  fillTextFields(s, u"7");  // no standard diameter, no length of 4, nothing that a rule empties
  ChangeLog log(s);
  s.clear();

  Log expected;
  auto diameters = [&](int g) {
    for (int r = 1; r <= kRows; ++r) expected.push_back(at(textArray(r), 3 * g));
  };
  // Emptying a count empties the volume beside it (the row's rule), before the count is logged;
  // the volumes written afterwards are empty already.
  auto countsThenVolumes = [&](int g) {
    for (int r = 1; r <= kRows; ++r) {
      expected.push_back(at(textArray(r), 3 * g + 2));
      expected.push_back(at(textArray(r), 3 * g + 1));
    }
  };
  diameters(0);
  countsThenVolumes(0);
  for (int r = 1; r <= kRows; ++r) expected.push_back(at(textArray(r), 5));  // group 1: volumes,
  diameters(1);                                                              // diameters,
  for (int r = 1; r <= kRows; ++r) expected.push_back(at(textArray(r), 4));  // counts
  expected.push_back("Text17");
  // An emptied count subtotal empties its group's volume subtotal (written next, so unlogged).
  for (int i : {1, 0, 3, 2}) expected.push_back(at("Text16", i));
  for (int i = 0; i <= 4; ++i) expected.push_back(at("Text19", i));
  diameters(2);
  countsThenVolumes(2);
  diameters(3);
  countsThenVolumes(3);
  for (const auto& [array, index] : std::vector<std::pair<std::string_view, int>>{
           {"Text16", 7},
           {"Text16", 6},
           {"Text19", 6},  // group 3, the volume subtotal by the rule
           {"Text16", 4},
           {"Text16", 5},
           {"Text19", 5},  // group 2
       }) {
    expected.push_back(at(array, index));
  }
  for (const char* name : {"Text23", "Text22", "Text28", "Text29"}) expected.push_back(name);
  EXPECT_EQ(lines(log.take()), lines(expected));
}

TEST(WriteOrder, MultiLengthCalculate) {
  MultiLengthSheet s;
  for (int r = 0; r < 19; ++r) {
    MultiLengthRow line = s.line(r);
    line.length.setText(u"4");
    line.diameter.setText(u"20");
    line.count.setText(u"5");
    line.unitPrice.setText(u"800");
  }
  s.averageUnitPrice().setText(u"650");
  ChangeLog log(s);
  s.calculate();

  Log expected;
  for (int r = 0; r < 19; ++r) expected.push_back(at("Text4", r));
  for (int r = 0; r < 19; ++r) expected.push_back(at("Text6", r));
  for (int i : {5, 4, 6, 10}) expected.push_back(at("Text22", i));
  EXPECT_EQ(lines(log.take()), lines(expected));
}

// Every text field of the window, in the window's control order: the buyer, the lines in reading
// order, the species and the scaler, the totals as they stand on the window, the seller.
TEST(WriteOrder, MultiLengthClear) {
  MultiLengthSheet s;
  fillTextFields(s, u"7");
  ChangeLog log(s);
  s.clear();

  Log expected = {"Text27"};
  for (int r = 0; r < 19; ++r)
    for (int column = 1; column <= 6; ++column) expected.push_back(at(textArray(column), r));
  expected.push_back("Text29");
  expected.push_back("Text28");
  for (int i : {5, 4, 10, 7, 6}) expected.push_back(at("Text22", i));
  expected.push_back("Text23");
  EXPECT_EQ(lines(log.take()), lines(expected));
}

TEST(WriteOrder, SawnTimberCalculate) {
  SawnTimberSheet s;
  for (int r = 0; r < 8; ++r) {
    SawnTimberRow line = s.line(r);
    line.length.setText(u"4");
    line.width.setText(u"200");
    line.thickness.setText(u"50");
    line.pieces.setText(u"10");
    line.unitPrice.setText(u"1500");
  }
  ChangeLog log(s);
  s.calculate();

  Log expected;
  for (int r = 0; r < 8; ++r) expected.push_back(at("Text5", r));
  for (int r = 0; r < 8; ++r) expected.push_back(at("Text7", r));
  expected.push_back("Text8");
  expected.push_back("Text9");
  EXPECT_EQ(lines(log.take()), lines(expected));
}

}  // namespace
}  // namespace quenby

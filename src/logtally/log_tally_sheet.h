#pragma once
// LogTallySheet: the fields of the log tally window (Form1) and what its buttons and change
// rules do to them. Four length groups, each with a length and fourteen rows of diameter class,
// piece count and volume; per-group subtotals, prices and amounts; sheet totals; bill parties.
// All state is field text: calculate() reads texts, computes in double and writes texts, and
// every write runs the clearing rules at once, nested inside the write.

#include <array>
#include <string_view>

#include "sheet/sheet.h"

namespace quenby {

class LogTallySheet final : public Sheet {
 public:
  static constexpr int kRows = 14;     // rows 1..14, control arrays Text1..Text14
  static constexpr int kColumns = 12;  // indices 0..11 of each row array
  static constexpr int kGroups = 4;

  LogTallySheet();

  // The control name of row array `row`: "Text1" … "Text14".
  static std::string_view rowArray(int row);

  // Element `index` of row array Text<row>: index 3g+0 diameter, 3g+1 count, 3g+2 volume.
  Field& cell(int row, int index) { return *grid_.at(row - 1).at(index); }
  Field& diameter(int row, int group) { return cell(row, 3 * group); }
  Field& count(int row, int group) { return cell(row, 3 * group + 1); }
  Field& volume(int row, int group) { return cell(row, 3 * group + 2); }

  // Per group g, through the crossed indices of Text16 and Text19.
  Field& length(int group);          // Text23, Text15, Text26, Text21
  Field& countSubtotal(int group);   // Text16(0), (2), (5), (6)
  Field& volumeSubtotal(int group);  // Text16(1), (3), (4), (7)
  Field& unitPrice(int group);       // Text18(0..3)
  Field& amount(int group);          // Text19(0), (1), (5), (6)

  // The sheet's totals, and the load priced at one average price.
  Field& totalCount() { return *text19_[4]; }
  Field& totalVolume() { return *text19_[3]; }
  Field& amountSum() { return *text19_[2]; }  // of the group amounts
  Field& averageUnitPrice() { return field("Text28"); }
  Field& averageAmount() { return field("Text29"); }  // the total volume at the average price

  void calculate() override;  // Command7
  void clear() override;      // Command4: standard diameters back, results and the load's fields emptied

 private:
  std::array<std::array<Field*, kColumns>, kRows> grid_{};
  std::array<Field*, 8> text16_{};
  std::array<Field*, 4> text18_{};
  std::array<Field*, 7> text19_{};
};

// The standard diameter class of a row: 2r + 2 ("4" … "30").
std::u16string standardDiameter(int row);

}  // namespace quenby

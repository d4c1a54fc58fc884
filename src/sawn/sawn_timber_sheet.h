#pragma once
// SawnTimberSheet: the fields of the sawn-timber window (Form3) and what its buttons and change
// rules do to them. Eight lines of boards (length, width, thickness, pieces, volume, unit price,
// amount: the arrays Text1 … Text7), the total volume Text8 and total amount Text9, the header
// fields Text10 … Text14 and the four caption boxes Combo1 … Combo4. All state is field text:
// calculate() reads texts, computes in double and writes texts, and every write runs the clearing
// rules at once, nested inside the write, so later steps read what the rules left.

#include <array>
#include <string_view>

#include "sheet/sheet.h"

namespace quenby {

// The seven fields of one line, in the order of its columns.
struct SawnTimberRow {
  Field& length;     // Text1(r), metres
  Field& width;      // Text2(r), millimetres
  Field& thickness;  // Text3(r), millimetres
  Field& pieces;     // Text4(r)
  Field& volume;     // Text5(r), cubic metres
  Field& unitPrice;  // Text6(r), yuan per cubic metre
  Field& amount;     // Text7(r), yuan
};

class SawnTimberSheet final : public Sheet {
 public:
  static constexpr int kLines = 8;    // indices 0..7 of every line array
  static constexpr int kColumns = 7;  // Text1 … Text7

  SawnTimberSheet();

  // The control name of column `column` (1 … 7): "Text1" … "Text7".
  static std::string_view lineArray(int column);

  SawnTimberRow line(int r);
  Field& totalVolume() { return field("Text8"); }
  Field& totalAmount() { return field("Text9"); }

  void calculate() override;  // Command3
  void clear() override;      // Command1: the lines, the totals, Text10 and Text11

 private:
  std::array<std::array<Field*, kLines>, kColumns> lines_{};
};

}  // namespace quenby

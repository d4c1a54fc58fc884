#pragma once
// MultiLengthSheet: the fields of the multi-length window (Form2) and what its buttons and change
// rules do to them. Nineteen lines, each with its own length, diameter class, piece count,
// volume, unit price and amount; five summary fields (Text22(4), (5), (6), (7), (10)); four
// header fields for the bill. All state is field text: calculate() reads texts, computes in
// double and writes texts, and every write runs the clearing rules at once, nested inside it.

#include <array>
#include <string_view>

#include "sheet/sheet.h"

namespace quenby {

// The six fields of one line, Text1(r) … Text6(r).
struct MultiLengthRow {
  Field& length;     // Text1, metres
  Field& diameter;   // Text2, centimetres
  Field& count;      // Text3, pieces
  Field& volume;     // Text4, cubic metres, computed
  Field& unitPrice;  // Text5, yuan per cubic metre
  Field& amount;     // Text6, yuan, computed
};

class MultiLengthSheet final : public Sheet {
 public:
  static constexpr int kLines = 19;

  MultiLengthSheet();

  MultiLengthRow line(int r);

  Field& totalCount() { return field("Text22", 5); }
  Field& totalVolume() { return field("Text22", 4); }
  Field& averageUnitPrice() { return field("Text22", 7); }  // the user's one price for the load
  Field& averageAmount() { return field("Text22", 6); }     // total volume at the average price
  Field& amountSum() { return field("Text22", 10); }

  void calculate() override;  // Command7
  void clear() override;      // Command1: every field emptied, in the window's control order

  // The control arrays of the six columns, "Text1" … "Text6".
  static constexpr std::array<std::string_view, 6> kColumns = {"Text1", "Text2", "Text3",
                                                               "Text4", "Text5", "Text6"};

 private:
  std::array<std::array<Field*, kColumns.size()>, kLines> lines_{};
};

}  // namespace quenby

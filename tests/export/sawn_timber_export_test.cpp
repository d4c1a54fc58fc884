// The sawn-timber export end to end: the sheet's fields through the export procedure and the real
// office into a copy of the bill template, read back by a separate office.

#include "sawn/sawn_timber_export.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "bill_cells.h"
#include "counting_host.h"
#include "export/export_error.h"
#include "office_test_support.h"
#include "support/utf.h"
#include "workbook_reader.h"

namespace quenby {
namespace {

using test::CountingHost;
using test::CountingPrompter;
using test::NoViewer;
using test::ScratchBill;

constexpr int kRows = 16, kColumns = 8;  // beyond the print area A1:G14 on both sides

using Cells = test::BillCells;

// Every field holds its own address, but for a few awkward texts and the captions.
void fillWithAddresses(SawnTimberSheet& sheet) {
  for (const NamedField& f : sheet.fields()) f.field->setText(u16(toString(f.id)));
  sheet.field("Text2", 7).setText(u"=1+1");
  sheet.field("Text4", 3).setText(u"");
  sheet.field("Text6", 1).setText(u"1,500.5");
  sheet.field("Text13").setText(u"林场 三号");
  sheet.field("Combo1").setText(u"收款人");  // typed
  sheet.field("Combo2").setText(u"电话");    // chosen
  sheet.field("Combo3").setText(u"收货单位");
  sheet.field("Combo4").setText(u"发货单位");
}

// What fillWithAddresses leaves in the bill, cell by cell.
const Cells kFilledBill = {
    {"A5", "Text1(0)"},  {"B5", "Text2(0)"},  {"C5", "Text3(0)"},  {"D5", "Text4(0)"},  {"E5", "Text5(0)"},
    {"F5", "Text6(0)"},  {"G5", "Text7(0)"},  {"A6", "Text1(1)"},  {"B6", "Text2(1)"},  {"C6", "Text3(1)"},
    {"D6", "Text4(1)"},  {"E6", "Text5(1)"},  {"F6", "1,500.5"},   {"G6", "Text7(1)"},  {"A7", "Text1(2)"},
    {"B7", "Text2(2)"},  {"C7", "Text3(2)"},  {"D7", "Text4(2)"},  {"E7", "Text5(2)"},  {"F7", "Text6(2)"},
    {"G7", "Text7(2)"},  {"A8", "Text1(3)"},  {"B8", "Text2(3)"},  {"C8", "Text3(3)"},  {"D8", ""},
    {"E8", "Text5(3)"},  {"F8", "Text6(3)"},  {"G8", "Text7(3)"},  {"A9", "Text1(4)"},  {"B9", "Text2(4)"},
    {"C9", "Text3(4)"},  {"D9", "Text4(4)"},  {"E9", "Text5(4)"},  {"F9", "Text6(4)"},  {"G9", "Text7(4)"},
    {"A10", "Text1(5)"}, {"B10", "Text2(5)"}, {"C10", "Text3(5)"}, {"D10", "Text4(5)"}, {"E10", "Text5(5)"},
    {"F10", "Text6(5)"}, {"G10", "Text7(5)"}, {"A11", "Text1(6)"}, {"B11", "Text2(6)"}, {"C11", "Text3(6)"},
    {"D11", "Text4(6)"}, {"E11", "Text5(6)"}, {"F11", "Text6(6)"}, {"G11", "Text7(6)"}, {"A12", "Text1(7)"},
    {"B12", "=1+1"},     {"C12", "Text3(7)"}, {"D12", "Text4(7)"}, {"E12", "Text5(7)"}, {"F12", "Text6(7)"},
    {"G12", "Text7(7)"}, {"B3", "Text10"},    {"F3", "Text11"},    {"F14", "Text12"},   {"B14", "林场 三号"},
    {"B13", "Text14"},   {"E13", "Text8"},    {"F13", "Text9"},    {"E14", "收款人"},   {"E3", "电话"},
};

// A bill written from a fresh sheet: every field cell emptied, the first captions of Combo1, Combo2.
Cells freshSheetBill() {
  Cells cells;
  for (const auto& [cell, text] : kFilledBill) cells[cell] = "";
  cells["E14"] = "联系人";
  cells["E3"] = "车号";
  return cells;
}

void expectBill(const std::string& path, const Cells& expected, const WorksheetReading& templateSheet) {
  ASSERT_EQ(expected.size(), 65u);
  const WorksheetReading bill = test::expectWorksheetCells(path, u"锯材账单", expected, templateSheet);
  // The captions of Combo3 and Combo4 are never written: the workbook's own labels stay.
  EXPECT_EQ(u8(bill.at(3, 1).text), "购货单位");
  EXPECT_EQ(u8(bill.at(14, 1).text), "出货单位");
}

TEST(SawnTimberExport, WritesAll65CellsAsTextAndAFreshSheetEmptiesThem) {
  ScratchBill scratch;
  const WorksheetReading templateSheet =
      readWorksheets(scratch.billUtf8(), {u"锯材账单"}, kRows, kColumns).at(0);
  SawnTimberSheet sheet;
  fillWithAddresses(sheet);
  ExportCounter exportCount;
  CountingHost host;
  NoViewer viewer;
  CountingPrompter prompter;
  runExport(sawnTimberExportJob(sheet, scratch.billUtf8()), exportCount, host, viewer, prompter);
  EXPECT_EQ(prompter.reminders, 1);
  EXPECT_EQ(viewer.shown, 1);
  EXPECT_EQ(host.instances, 1);
  expectBill(scratch.billUtf8(), kFilledBill, templateSheet);

  SawnTimberSheet fresh;
  runExport(sawnTimberExportJob(fresh, scratch.billUtf8()), exportCount, host, viewer, prompter);
  EXPECT_EQ(prompter.reminders, 1);
  EXPECT_EQ(host.instances, 2);
  expectBill(scratch.billUtf8(), freshSheetBill(), templateSheet);
  host.expectNothingLeft();
}

TEST(SawnTimberExport, MissingBillMakesTwoAttemptsThenReportsAndLeavesNoOffice) {
  SawnTimberSheet sheet;
  test::expectMissingBillReported([&](const std::string& path) { return sawnTimberExportJob(sheet, path); });
}

}  // namespace
}  // namespace quenby

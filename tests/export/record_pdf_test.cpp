// 生成 PDF on a ledger record, with the real office: the record written into a scratch copy of the
// user's bill makes the PDF its export made, whatever the bill holds since; the bill stays as it is.

#include "keeping/record_pdf.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "export/export_procedure.h"
#include "forwarding_host.h"
#include "office_test_support.h"
#include "sheet/calculator_spec.h"
#include "store/snapshot.h"
#include "support/utf.h"

namespace quenby {
namespace {

namespace fs = std::filesystem;

std::string pdfText(const std::string& pdf) {
  std::string out;
  if (FILE* pipe = ::popen(("pdftotext -layout -enc UTF-8 '" + pdf + "' -").c_str(), "r")) {
    std::array<char, 4096> buffer;
    while (size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) out.append(buffer.data(), n);
    ::pclose(pipe);
  }
  return out;
}

// The sawn-timber sheet with every field of its map holding `prefix` and its number.
std::unique_ptr<Sheet> filled(const CalculatorSpec& spec, const char* prefix) {
  std::unique_ptr<Sheet> sheet = spec.makeSheet();
  int n = 0;
  for (const CellMapEntry& entry : spec.exportMap().cells)
    sheet->field(entry.field).setText(u16(prefix + std::to_string(++n)));
  sheet->field(spec.ledgerColumns().buyer.text).setText(u"张三木业");
  return sheet;
}

// Faults: the record not written into the copy (the PDF would show what the bill holds now), the
// user's bill written instead of a copy, the PDF made of another sheet or not at all.
TEST(RecordPdf, EqualsInTextThePdfOfItsExportAndLeavesTheBillAsItIs) {
  const CalculatorSpec* spec = nullptr;
  for (const CalculatorSpec* c : calculatorList())
    if (c->storeKey == "sawn") spec = c;
  ASSERT_TRUE(spec);
  test::ScratchBill bill;
  const fs::path pdfs = bill.dir() / "Quenby 账单";
  ExportServices services{bill.billUtf8(), [] { return std::make_unique<test::ForwardingHost>(); },
                          [] { return std::make_unique<test::Silent>(); }};
  services.pdfFolder = test::utf8(pdfs);

  // The export, with its PDF; then a later bill over it, without one.
  const std::unique_ptr<Sheet> first = filled(*spec, "a");
  ExportJob job = exportJob(spec->exportMap(), *first, bill.billUtf8());
  job.pdf = PdfRequest{services.pdfFolder, services.pdfFolder + "/2026-03", "at the export"};
  test::ForwardingHost host;
  test::Silent silent;
  KeptPdf atExport;
  ExportParties parties{host, silent, silent};
  parties.saved = [&](const KeptPdf& pdf) { atExport = pdf; };
  ExportCounter count;
  runExport(job, count, parties);
  ASSERT_FALSE(atExport.failure) << atExport.failure->description();
  runExport(exportJob(spec->exportMap(), *filled(*spec, "b"), bill.billUtf8()), count, host, silent, silent);
  const std::string billBefore = test::fileBytes(bill.bill());

  const store::LedgerRecord record{1774972799000, store::RecordState::Exported,
                                   store::capture(spec->storeKey, *first)};
  const std::string made = app::makeRecordPdf(record, services);
  EXPECT_NE(made, atExport.path);
  EXPECT_TRUE(fs::is_regular_file(made)) << made;
  const std::string text = pdfText(made);
  EXPECT_NE(text.find("a1"), std::string::npos) << text;
  EXPECT_EQ(text, pdfText(atExport.path));
  EXPECT_EQ(test::fileBytes(bill.bill()), billBefore);
}

}  // namespace
}  // namespace quenby

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  QCoreApplication app(argc, argv);
  return RUN_ALL_TESTS();
}

// The PDF an export keeps of its sheet, made by the real office: what it holds, on what paper, with
// what fonts; and a PDF that cannot be written (a full disk, a folder that may not be written),
// which fails nothing: the bill is saved and shown, the cause is handed on, nothing half-written
// is left. Read with poppler's pdftotext, pdfinfo and pdffonts.

#include <sys/mount.h>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "counting_host.h"
#include "export/export_error.h"
#include "export/export_procedure.h"
#include "office_test_support.h"
#include "sheet/calculator_spec.h"
#include "support/utf.h"

namespace quenby {
namespace {

namespace fs = std::filesystem;
using test::CountingHost;
using test::CountingPrompter;
using test::NoViewer;
using test::ScratchBill;

// What a command prints on its standard output.
std::string output(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    std::array<char, 4096> buffer;
    while (size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) out.append(buffer.data(), n);
    ::pclose(pipe);
  }
  return out;
}

std::string quoted(const fs::path& p) { return "'" + test::utf8(p) + "'"; }

const CalculatorSpec& calculator(std::string_view key) {
  for (const CalculatorSpec* c : calculatorList())
    if (c->storeKey == key) return *c;
  throw std::out_of_range(std::string(key));
}

struct Exported {
  KeptPdf pdf;
  int shown = 0;
  std::vector<CellSource> cells;
};

// Exports the calculator's sheet, every field of its cell map holding a token of its own ("q001"…,
// in the map's order) and its buyer "张三木业", keeping the PDF under `pdfRoot`.
Exported exportWithPdf(const CalculatorSpec& spec, const ScratchBill& bill, const fs::path& pdfRoot) {
  std::unique_ptr<Sheet> sheet = spec.makeSheet();
  const FieldId buyer = spec.ledgerColumns().buyer.text;
  int n = 0;
  for (const CellMapEntry& entry : spec.exportMap().cells) {
    char token[8];
    std::snprintf(token, sizeof token, "q%03d", ++n);
    sheet->field(entry.field).setText(u16(token));
  }
  sheet->field(buyer).setText(u"张三木业");
  ExportJob job = exportJob(spec.exportMap(), *sheet, bill.billUtf8());
  job.pdf = PdfRequest{test::utf8(pdfRoot), test::utf8(pdfRoot / "2026-03"), "2026-03-31 235959 单"};
  Exported out;
  out.cells = job.cells;
  ExportCounter count;
  CountingHost host;
  NoViewer viewer;
  CountingPrompter prompter;
  ExportParties parties{host, viewer, prompter};
  parties.saved = [&](const KeptPdf& pdf) { out.pdf = pdf; };
  runExport(job, count, parties);
  out.shown = viewer.shown;
  host.expectNothingLeft();
  return out;
}

struct Paper {
  const char* key;
  const char* size;  // as pdfinfo says it
};

class BillPdfTest : public testing::TestWithParam<Paper> {};

// Faults: the whole workbook, or the wrong sheet, exported (more pages, other texts); the page
// style's paper or scale lost; a font not embedded, the Chinese one above all.
TEST_P(BillPdfTest, HoldsTheSheetInReadingOrderOnOnePageWithEveryFontEmbedded) {
  const CalculatorSpec& spec = calculator(GetParam().key);
  ScratchBill bill;
  const Exported exported = exportWithPdf(spec, bill, bill.dir() / "pdf");
  ASSERT_FALSE(exported.pdf.failure) << exported.pdf.failure->description();
  EXPECT_EQ(exported.pdf.path, test::utf8(bill.dir() / "pdf" / "2026-03" / "2026-03-31 235959 单.pdf"));
  EXPECT_EQ(exported.shown, 1);
  const fs::path pdf = fs::path(exported.pdf.path);

  // Row by row, left to right: as the bill reads.
  std::vector<CellSource> cells = exported.cells;
  std::stable_sort(cells.begin(), cells.end(), [](const CellSource& a, const CellSource& b) {
    return a.row != b.row ? a.row < b.row : a.column < b.column;
  });
  const std::string text = output("pdftotext -layout -enc UTF-8 " + quoted(pdf) + " -");
  size_t at = 0;
  for (const CellSource& c : cells) {
    const std::string expected = u8(c.text);
    const size_t found = text.find(expected, at);
    ASSERT_NE(found, std::string::npos) << expected << " (row " << c.row << ", column " << c.column
                                        << ") not after position " << at << " in:\n"
                                        << text;
    at = found + expected.size();
  }
  EXPECT_NE(text.find("张三木业"), std::string::npos);

  const std::string info = output("pdfinfo " + quoted(pdf));
  EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
  EXPECT_NE(info.find(std::string("Page size:       ") + GetParam().size), std::string::npos) << info;

  std::istringstream fonts(output("pdffonts " + quoted(pdf)));
  std::string line;
  std::getline(fonts, line);
  std::getline(fonts, line);  // the header and its rule
  int listed = 0;
  bool chinese = false;
  while (std::getline(fonts, line)) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;) words.push_back(w);
    ASSERT_GE(words.size(), 7u) << line;
    ++listed;
    EXPECT_EQ(words[words.size() - 5], "yes") << "not embedded: " << line;
    chinese = chinese || line.find("UMing") != std::string::npos || line.find("Song") != std::string::npos;
  }
  EXPECT_GT(listed, 0);
  EXPECT_TRUE(chinese) << "no Song-style font in the PDF";
}

INSTANTIATE_TEST_SUITE_P(Sheets, BillPdfTest,
                         testing::Values(Paper{"logtally", "841.89 x 595.304 pts (A4)"},
                                         Paper{"multilength", "595.304 x 841.89 pts (A4)"},
                                         Paper{"sawn", "595.304 x 841.89 pts (A4)"}),
                         [](const auto& info) { return std::string(info.param.key); });

// A folder for the PDFs on a 256 KiB tmpfs of the test's own, unmounted when the test ends.
class PdfDisk {
 public:
  explicit PdfDisk(const fs::path& at) : dir_(at) {
    fs::create_directories(dir_);
    if (::mount("quenby-pdf-test", dir_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k,mode=0700") != 0)
      error_ = std::strerror(errno);
  }
  ~PdfDisk() {
    if (immutable_) std::system(("chattr -i " + quoted(dir_ / "2026-03")).c_str());
    if (error_.empty()) ::umount2(dir_.c_str(), MNT_DETACH);
  }
  const std::string& error() const { return error_; }
  void fill() {
    std::ofstream out(dir_ / "filler", std::ios::binary);
    const std::vector<char> block(4096, 'x');
    while (out.write(block.data(), block.size())) {
    }
  }
  bool makeMonthImmutable() {
    fs::create_directory(dir_ / "2026-03");
    immutable_ = std::system(("chattr +i " + quoted(dir_ / "2026-03") + " 2>/dev/null").c_str()) == 0;
    return immutable_;
  }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir_))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path dir_;
  std::string error_;
  bool immutable_ = false;
};

struct Obstacle {
  const char* name;
  bool full;  // else the month's folder may not be written
  const char* says;
  std::vector<std::string> left;
};
void PrintTo(const Obstacle& o, std::ostream* os) { *os << o.name; }

class PdfObstacleTest : public testing::TestWithParam<Obstacle> {};

// Faults: a PDF that cannot be written failing the export (the bill then not shown, or exported
// again), its cause unnamed, or a half-written file left behind.
TEST_P(PdfObstacleTest, TheBillIsSavedAndShownAndTheCauseHandedOn) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a disk for the PDFs needs root";
  ScratchBill bill;
  PdfDisk disk(bill.dir() / "pdf");
  if (!disk.error().empty()) GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.error();
  if (GetParam().full) {
    disk.fill();
  } else if (!disk.makeMonthImmutable()) {
    GTEST_SKIP() << "chattr +i is not available here";
  }
  const std::string before = test::fileBytes(bill.bill());
  const Exported exported = exportWithPdf(calculator("sawn"), bill, bill.dir() / "pdf");
  EXPECT_EQ(exported.shown, 1);
  EXPECT_NE(test::fileBytes(bill.bill()), before) << "the bill was not saved";
  EXPECT_EQ(exported.pdf.path, "");
  ASSERT_TRUE(exported.pdf.failure);
  EXPECT_EQ(exported.pdf.failure->number(), 1015);
  EXPECT_NE(exported.pdf.failure->description().find(GetParam().says), std::string::npos)
      << exported.pdf.failure->description();
  EXPECT_EQ(disk.files(), GetParam().left);
}

INSTANTIATE_TEST_SUITE_P(
    Obstacles, PdfObstacleTest,
    testing::Values(Obstacle{"FullDisk", true, "磁盘已满（剩余 0 字节）", {"2026-03", "filler"}},
                    Obstacle{"MonthFolderNotWritable", false, "不允许在文件夹", {"2026-03"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quenby

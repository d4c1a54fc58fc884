// Where an export's PDF is put: the folders made (and ours set) 0700 and the file 0600 whatever
// the umask, the first free name taken so that two bills of the same second never overwrite each
// other, and nothing left behind by a write that fails.

#include "export/bill_pdf.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "export/export_error.h"

namespace quenby {
namespace {

namespace fs = std::filesystem;

unsigned modeOf(const fs::path& p) {
  struct stat st {};
  ::stat(p.c_str(), &st);
  return st.st_mode & 07777;
}

std::string contents(const fs::path& p) {
  std::ifstream in(p);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> namesIn(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

// Faults: a second PDF of the same second written over the first; the umask's modes on our folders
// or file (others could read the bills); a temporary file left beside the PDFs, or a failed write
// that leaves one or reports nothing.
TEST(KeepPdf, TakesTheFirstFreeNamePrivatelyAndLeavesNothingWhenTheWriteFails) {
  std::string pattern = (fs::temp_directory_path() / "quenby-pdf-XXXXXX").string();
  const fs::path dir = ::mkdtemp(pattern.data());
  const fs::path root = dir / "Documents" / "Quenby 账单";
  fs::create_directories(root);
  fs::permissions(root, fs::perms(0755));
  const mode_t umask = ::umask(0);
  const PdfRequest request{root.string(), (root / "2026-03").string(), "2026-03-31 235959 原木一 王五"};
  auto writing = [](const char* text) {
    return [text](const std::string& file) { std::ofstream(file) << text; };
  };
  const std::string first = keepPdf(request, writing("first"));
  const std::string second = keepPdf(request, writing("second"));
  bool raised = false;
  try {
    keepPdf(request, [](const std::string& file) {
      std::ofstream(file) << "half";
      throw QuenbyError(ExportError::SpreadsheetFailed, "the office broke off");
    });
  } catch (const QuenbyError& e) {
    raised =
        e.is(ExportError::PdfNotWritten) && e.description().find("the office broke off") != std::string::npos;
  }
  // Fault: a request without a root took every folder above its own for ours and made it 0700
  // (the same fault made /tmp 0700 once).
  fs::permissions(dir, fs::perms(0755));
  keepPdf({"", (dir / "loose" / "2026-03").string(), "单"}, writing("loose"));
  ::umask(umask);

  EXPECT_EQ(modeOf(dir), 0755u) << "a folder that was there and is not under the root keeps its mode";
  EXPECT_EQ(first, (root / "2026-03" / "2026-03-31 235959 原木一 王五.pdf").string());
  EXPECT_EQ(second, (root / "2026-03" / "2026-03-31 235959 原木一 王五 (2).pdf").string());
  EXPECT_EQ(contents(first), "first");
  EXPECT_EQ(contents(second), "second");
  EXPECT_TRUE(raised);
  EXPECT_EQ(namesIn(root / "2026-03"), (std::set<std::string>{"2026-03-31 235959 原木一 王五.pdf",
                                                              "2026-03-31 235959 原木一 王五 (2).pdf"}));
  EXPECT_EQ(modeOf(first), 0600u);
  EXPECT_EQ(modeOf(root / "2026-03"), 0700u);
  EXPECT_EQ(modeOf(root), 0700u);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace quenby

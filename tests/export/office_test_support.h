#pragma once
// Shared by the export tests: a scratch directory holding a copy of the built bill template, and
// a look into /proc for office processes that should be gone.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "export/libreoffice_host.h"

namespace quenby::test {

namespace fs = std::filesystem;

inline fs::path templatePath() { return fs::path(std::u8string(u8"" QUENBY_BILL_TEMPLATE)); }

inline std::string utf8(const fs::path& p) {
  std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

inline std::string fileBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A temporary directory with the bill template copied in as 账单明细.xls.
class ScratchBill {
 public:
  ScratchBill() {
    std::string pattern = (fs::temp_directory_path() / "quenby-test-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    bill_ = dir_ / u8"账单明细.xls";
    fs::copy_file(templatePath(), bill_);
  }
  ~ScratchBill() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  const fs::path& dir() const { return dir_; }
  const fs::path& bill() const { return bill_; }
  std::string billUtf8() const { return utf8(bill_); }

 private:
  fs::path dir_;
  fs::path bill_;
};

// A fresh office on the scratch bill with `sheet` taken, ready for cells.
inline void openSheet(LibreOfficeHost& host, const ScratchBill& bill, const std::u16string& sheet) {
  host.newInstance();
  host.openWorkbook(bill.billUtf8());
  host.selectWorksheet(sheet);
}

// True when a live (non-zombie) process has `needle` in its command line. Every office process
// carries its private profile directory there.
inline bool processMentions(const std::string& needle) {
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string cmdline = fileBytes(entry.path() / "cmdline");
    for (char& c : cmdline)
      if (c == '\0') c = ' ';
    if (cmdline.find(needle) != std::string::npos && std::to_string(::getpid()) != name) return true;
  }
  return false;
}

}  // namespace quenby::test

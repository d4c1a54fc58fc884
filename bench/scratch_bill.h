#pragma once
// For the benchmarks on the real office: the bill template named on the command line, and a copy
// of it in a directory of its own, removed again at the end.

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace quenby::bench {

// The template's path (UTF-8), taken from the first argument, which is then removed so that the
// benchmark library sees only its own flags; empty, with the usage printed, when there is none.
inline std::string takeTemplateArgument(int& argc, char**& argv) {
  if (argc < 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: %s <bill template .xls> [benchmark flags]\n", argv[0]);
    return {};
  }
  std::string path = argv[1];
  argv[1] = argv[0];
  ++argv;
  --argc;
  return path;
}

class ScratchBill {
 public:
  explicit ScratchBill(const std::string& templatePath) {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "quenby-bench-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    const fs::path bill = dir_ / u8"账单明细.xls";
    fs::copy_file(fs::path(std::u8string(templatePath.begin(), templatePath.end())), bill);
    const std::u8string u8 = bill.u8string();
    path_.assign(u8.begin(), u8.end());
  }
  ~ScratchBill() { std::filesystem::remove_all(dir_); }
  ScratchBill(const ScratchBill&) = delete;
  ScratchBill& operator=(const ScratchBill&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::filesystem::path dir_;
  std::string path_;
};

}  // namespace quenby::bench

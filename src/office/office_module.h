#pragma once
// The LibreOffice host as a module of its own (quenby_office_host.so), which the program loads at
// its first export: the office's UNO runtime, eight libraries, then costs nothing at the start.
// No Qt, no UNO.
//
// The register of running offices stays in the program, where the termination watcher reads it;
// the module reaches it through the links handed to its entry function.

#include <sys/types.h>

#include "export/spreadsheet_host.h"

namespace quenby {

struct OfficeModuleLinks {
  bool (*terminationRequested)() noexcept;
  bool (*add)(pid_t group);
  void (*remove)(pid_t group) noexcept;
  bool (*beginSave)(pid_t group);
  void (*endSave)(pid_t group) noexcept;
};

// The module's file name, and its one exported function: a new LibreOfficeHost with the default
// options, owned by the caller. The links must outlive every host.
inline constexpr char kOfficeModuleFile[] = "quenby_office_host.so";
inline constexpr char kOfficeModuleEntry[] = "quenby_new_office_host";
using NewOfficeHost = SpreadsheetHost* (*)(const OfficeModuleLinks* links);

}  // namespace quenby

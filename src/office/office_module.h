#pragma once
// The LibreOffice side of the exports as a module of its own (quenby_office_host.so), which the
// program loads only when an office is first wanted: the office's UNO runtime, eight libraries,
// then costs nothing at the start. No Qt, no UNO.
//
// The register of running offices stays in the program, where the termination watcher reads it;
// the module reaches it through the links handed to its entry function (office_links.h), which
// its entry hands on to every office it starts.

#include <sys/types.h>

#include "export/office_supply.h"
#include "office/office_links.h"

namespace quenby {

// The module's file name, and its one exported function: the office supply (with its reserve of
// offices started ahead when `settings` say so), owned by the caller. Called once per run: the
// links must outlive the supply and every host it made.
inline constexpr char kOfficeModuleFile[] = "quenby_office_host.so";
inline constexpr char kOfficeModuleEntry[] = "quenby_new_office_supply";
using NewOfficeSupply = OfficeSupply* (*)(const OfficeModuleLinks* links,
                                          const OfficeSupplySettings* settings);

}  // namespace quenby

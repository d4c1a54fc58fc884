// The module's entry, and the register of running offices forwarded to the program's own.

#include "office/office_module.h"

#include "office/libreoffice_host.h"
#include "office/termination.h"

namespace quenby {

namespace {
const OfficeModuleLinks* program = nullptr;
}  // namespace

bool terminationRequested() noexcept { return program->terminationRequested(); }

namespace live_offices {
bool add(pid_t group) { return program->add(group); }
void remove(pid_t group) noexcept { program->remove(group); }
bool beginSave(pid_t group) { return program->beginSave(group); }
void endSave(pid_t group) noexcept { program->endSave(group); }
}  // namespace live_offices

}  // namespace quenby

extern "C" __attribute__((visibility("default"))) quenby::SpreadsheetHost* quenby_new_office_host(
    const quenby::OfficeModuleLinks* links) {
  quenby::program = links;
  return new quenby::LibreOfficeHost();
}

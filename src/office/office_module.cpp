// The module's entry, and the register of running offices forwarded to the program's own.

#include "office/office_module.h"

#include <memory>

#include "office/libreoffice_supply.h"
#include "office/office_reserve.h"
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

extern "C" __attribute__((visibility("default"))) quenby::OfficeSupply* quenby_new_office_supply(
    const quenby::OfficeModuleLinks* links, const quenby::OfficeSupplySettings* settings) {
  quenby::program = links;
  std::shared_ptr<quenby::OfficeReserve> reserve;
  if (settings->startAhead)
    reserve = std::make_shared<quenby::OfficeReserve>(quenby::OfficeOptions{}, settings->idleTime);
  return new quenby::LibreOfficeSupply(std::move(reserve));
}

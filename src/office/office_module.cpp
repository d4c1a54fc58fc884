// The module's entry: the office supply, whose offices are listed in the program's register
// through the links the program hands over.

#include "office/office_module.h"

#include <memory>

#include "office/libreoffice_supply.h"
#include "office/office_reserve.h"

extern "C" __attribute__((visibility("default"))) quenby::OfficeSupply* quenby_new_office_supply(
    const quenby::OfficeModuleLinks* links, const quenby::OfficeSupplySettings* settings) {
  quenby::OfficeOptions options;
  options.links = links;
  std::shared_ptr<quenby::OfficeReserve> reserve;
  if (settings->startAhead) reserve = std::make_shared<quenby::OfficeReserve>(options, settings->idleTime);
  return new quenby::LibreOfficeSupply(std::move(reserve), options);
}

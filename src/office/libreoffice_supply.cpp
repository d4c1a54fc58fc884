#include "office/libreoffice_supply.h"

#include <utility>

#include "office/libreoffice_host.h"
#include "office/office_reserve.h"

namespace quenby {

LibreOfficeSupply::LibreOfficeSupply(std::shared_ptr<OfficeReserve> reserve, OfficeOptions options)
    : reserve_(std::move(reserve)), options_(std::move(options)) {}

LibreOfficeSupply::~LibreOfficeSupply() = default;

void LibreOfficeSupply::touch() {
  if (reserve_) reserve_->touch();
}

std::unique_ptr<SpreadsheetHost> LibreOfficeSupply::newHost() {
  if (reserve_) return std::make_unique<LibreOfficeHost>(reserve_);
  return std::make_unique<LibreOfficeHost>(options_);
}

}  // namespace quenby

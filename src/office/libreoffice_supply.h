#pragma once
// The office supply on LibreOffice: hosts on a reserve of offices started ahead, or, without one,
// hosts that each start their own office. What the office host module hands the program.

#include <memory>

#include "export/office_supply.h"
#include "office/libreoffice_host.h"

namespace quenby {

class OfficeReserve;

class LibreOfficeSupply final : public OfficeSupply {
 public:
  // Null `reserve`: nothing is started ahead, and the hosts start their offices with `options`.
  explicit LibreOfficeSupply(std::shared_ptr<OfficeReserve> reserve, OfficeOptions options = {});
  ~LibreOfficeSupply() override;

  void touch() override;
  std::unique_ptr<SpreadsheetHost> newHost() override;

 private:
  std::shared_ptr<OfficeReserve> reserve_;
  OfficeOptions options_;
};

}  // namespace quenby

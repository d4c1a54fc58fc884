#pragma once
// Where an export's spreadsheet host comes from, as the program sees it: the office started ahead
// of the next export (when that is on) and the hosts that take it. The office host module makes
// the real supply (office/office_module.h); this side knows neither UNO nor Qt.

#include <chrono>
#include <memory>

#include "export/spreadsheet_host.h"

namespace quenby {

struct OfficeSupplySettings {
  static constexpr std::chrono::minutes kIdleTime{5};
  // Whether one office is kept started ahead of the next export.
  bool startAhead = true;
  // How long an office started ahead waits without a touch before it is ended.
  std::chrono::milliseconds idleTime = kIdleTime;
};

class OfficeSupply {
 public:
  virtual ~OfficeSupply() = default;
  // The user is at work: an office is started ahead when there is none, and its idle time begins
  // again. Returns at once. Does nothing when offices are not started ahead.
  virtual void touch() = 0;
  // The host for one export; it takes the office started ahead when there is one. May raise
  // QuenbyError.
  virtual std::unique_ptr<SpreadsheetHost> newHost() = 0;
};

// Whether the environment switches starting offices ahead off (QUENBY_PRESTART=0).
bool prestartOffInEnvironment();

}  // namespace quenby

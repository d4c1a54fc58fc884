#pragma once
// The private office started ahead of the first export, so that the export finds it ready: the
// first key or click in a sheet window asks for one, and every key and click keeps it
// from being ended as idle (after five minutes). Nothing starts with the program itself, so that a
// calculator opened for one sum pays for no office. Pre-starting is off with QUENBY_PRESTART=0 in
// the environment or prestart=false under [office] in the user's Quenby.conf.

#include <QObject>

#include "export/office_supply.h"

namespace quenby::app {

// Whether offices are started ahead, and how long one may wait idle: QUENBY_OFFICE_IDLE_SECONDS
// shortens the idle time.
OfficeSupplySettings officeSettings();

// While alive, watches every key and click of the application for the sheet windows' sake.
class OfficeWarmUp final : public QObject {
 public:
  explicit OfficeWarmUp(OfficeSupply& offices);
  ~OfficeWarmUp() override;

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  OfficeSupply& offices_;
};

}  // namespace quenby::app

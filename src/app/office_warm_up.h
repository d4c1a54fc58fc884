#pragma once
// The private office started ahead of the first export, so that the export finds it ready: the
// first key or click in a sheet window asks the reserve for one, and every key and click keeps it
// from being ended as idle (after five minutes). Nothing starts with the program itself, so that a
// calculator opened for one sum pays for no office. Pre-starting is off with QUENBY_PRESTART=0 in
// the environment or prestart=false under [office] in the user's Quenby.conf.

#include <QObject>
#include <memory>

namespace quenby {
class OfficeReserve;
}

namespace quenby::app {

// The reserve of the program's offices; null when pre-starting is off. QUENBY_OFFICE_IDLE_SECONDS
// shortens the idle time.
std::shared_ptr<OfficeReserve> officeReserve();

// While alive, watches every key and click of the application for the sheet windows' sake.
class OfficeWarmUp final : public QObject {
 public:
  explicit OfficeWarmUp(OfficeReserve& reserve);
  ~OfficeWarmUp() override;

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  OfficeReserve& reserve_;
};

}  // namespace quenby::app

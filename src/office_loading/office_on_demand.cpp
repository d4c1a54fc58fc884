#include "office_loading/office_on_demand.h"

#include <utility>

namespace quenby::app {

OfficeOnDemand::OfficeOnDemand(Load load, bool startAhead)
    : load_(std::move(load)), startAhead_(startAhead) {}

OfficeOnDemand::~OfficeOnDemand() {
  if (loader_.joinable()) loader_.join();
}

void OfficeOnDemand::touch() {
  if (!startAhead_) return;
  Handoff::Lock lock = handoff_.lock();
  if (supply_) {
    supply_->touch();
    return;
  }
  // A load in progress touches the supply it makes.
  if (loading_ || touchLoadFailed_ || loader_.joinable()) return;
  loading_ = true;
  loader_ = std::thread([this] {
    std::unique_ptr<OfficeSupply> supply;
    try {
      supply = load_();
    } catch (...) {
      // Said at the export, which loads again.
    }
    handoff_.change([&] {
      loading_ = false;
      if (supply) {
        supply_ = std::move(supply);
        supply_->touch();
      } else {
        touchLoadFailed_ = true;
      }
    });
  });
}

std::unique_ptr<SpreadsheetHost> OfficeOnDemand::newHost() {
  Handoff::Lock lock = handoff_.lock();
  handoff_.wait(lock, [this] { return !loading_; });
  if (!supply_) {
    loading_ = true;
    lock.unlock();
    std::unique_ptr<OfficeSupply> supply;
    try {
      supply = load_();
    } catch (...) {
      handoff_.change([&] { loading_ = false; });
      throw;
    }
    lock.lock();
    loading_ = false;
    supply_ = std::move(supply);
    handoff_.announce();
  }
  OfficeSupply& supply = *supply_;  // kept until the end
  lock.unlock();
  return supply.newHost();
}

}  // namespace quenby::app

// Fault caught: office code that lists its offices in a register of its own instead of the one its
// options link to. In the office host module that register would be the module's copy, which the
// program's termination watcher never reads, so an office would outlive a killed Quenby.

#include <sys/types.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>

#include "office/libreoffice_host.h"
#include "office/libreoffice_supply.h"
#include "office/termination.h"
#include "office_test_support.h"

namespace quenby {
namespace {

struct Register {
  std::mutex mutex;
  std::vector<pid_t> added;
  std::vector<pid_t> removed;
};
Register registered;

const OfficeModuleLinks kCounting{
    []() noexcept { return false; },
    [](pid_t group) {
      const std::lock_guard lock(registered.mutex);
      registered.added.push_back(group);
      return live_offices::add(group);  // still the process's own, so that a test run ends it
    },
    [](pid_t group) noexcept {
      {
        const std::lock_guard lock(registered.mutex);
        registered.removed.push_back(group);
      }
      live_offices::remove(group);
    },
    live_offices::beginSave,
    live_offices::endSave,
};

TEST(OfficeLinks, TheHostsOfASupplyListTheirOfficesInTheLinkedRegister) {
  test::ScratchBill bill;
  OfficeOptions options;
  options.links = &kCounting;
  LibreOfficeSupply supply(nullptr, options);
  std::unique_ptr<SpreadsheetHost> host = supply.newHost();
  host->newInstance();
  host->openWorkbook(bill.billUtf8());
  host->closeAllWorkbooks();
  host->quit();
  host->release();
  const std::lock_guard lock(registered.mutex);
  ASSERT_EQ(registered.added.size(), 1u);
  EXPECT_GT(registered.added[0], 0);
  EXPECT_EQ(registered.removed, registered.added);
}

}  // namespace
}  // namespace quenby

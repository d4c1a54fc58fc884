// The office supply made only when an office is first wanted: by the first touch, on a thread of
// its own, or by the first export; once; the supply ended with the program's.

#include "office_loading/office_on_demand.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "calc/error.h"
#include "export/export_error.h"

namespace quenby {
namespace {

using app::OfficeOnDemand;

// What the loads made and how their supplies were used.
struct Uses {
  std::atomic<int> loads = 0, touches = 0, hosts = 0, failuresLeft = 0;
  std::atomic<bool> ended = false;
  std::thread::id loadedOn;
};

struct CountingSupply final : OfficeSupply {
  Uses& uses;
  explicit CountingSupply(Uses& u) : uses(u) {}
  ~CountingSupply() override { uses.ended = true; }
  void touch() override { ++uses.touches; }
  std::unique_ptr<SpreadsheetHost> newHost() override {
    ++uses.hosts;
    return nullptr;
  }
};

// A load that waits for `gate` (at most 5 s, so that a load on the caller's thread fails the test
// rather than hangs it) and fails while `failuresLeft`.
OfficeOnDemand::Load countingLoad(Uses& uses, std::shared_future<void> gate = {}) {
  return [&uses, gate] {
    ++uses.loads;
    uses.loadedOn = std::this_thread::get_id();
    if (gate.valid()) gate.wait_for(std::chrono::seconds(5));
    if (uses.failuresLeft > 0) {
      --uses.failuresLeft;
      throw QuenbyError(ExportError::SpreadsheetMissing, "no module");
    }
    return std::make_unique<CountingSupply>(uses);
  };
}

TEST(OfficeOnDemand, TheFirstTouchLoadsOnAThreadOfItsOwnOnceAndTheSupplyEndsWithIt) {
  Uses uses;
  std::promise<void> open;
  {
    OfficeOnDemand offices(countingLoad(uses, open.get_future().share()), true);
    EXPECT_EQ(uses.loads, 0) << "loaded before an office was wanted";
    offices.touch();
    offices.touch();  // while the load runs
    open.set_value();
    offices.newHost();  // waits for the load in progress
    EXPECT_EQ(uses.loads, 1);
    EXPECT_NE(uses.loadedOn, std::this_thread::get_id()) << "the touch loaded on its caller's thread";
    EXPECT_EQ(uses.touches, 1) << "the loaded supply was not touched";
    EXPECT_EQ(uses.hosts, 1);
    offices.touch();
    EXPECT_EQ(uses.touches, 2);
    EXPECT_FALSE(uses.ended);
  }
  EXPECT_TRUE(uses.ended) << "the supply, and the office it holds, outlived the program's";
}

TEST(OfficeOnDemand, WithoutStartingAheadTouchesLoadNothingAndTheExportLoads) {
  Uses uses;
  OfficeOnDemand offices(countingLoad(uses), false);
  offices.touch();
  offices.newHost();
  EXPECT_EQ(uses.loads, 1);
  EXPECT_EQ(uses.loadedOn, std::this_thread::get_id());
  EXPECT_EQ(uses.touches, 0);
}

TEST(OfficeOnDemand, AFailedLoadIsRaisedAtTheExportAndTriedAgainByTheNextExportNotByTouches) {
  Uses uses;
  uses.failuresLeft = 2;
  OfficeOnDemand offices(countingLoad(uses), true);
  offices.touch();  // fails on its thread, unsaid
  try {
    offices.newHost();
    ADD_FAILURE() << "no error";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 1001);
  }
  EXPECT_EQ(uses.loads, 2);
  offices.touch();
  offices.newHost();
  EXPECT_EQ(uses.loads, 3);
  EXPECT_EQ(uses.touches, 0) << "a touch after a failed load loaded again";
  EXPECT_EQ(uses.hosts, 1);
}

}  // namespace
}  // namespace quenby

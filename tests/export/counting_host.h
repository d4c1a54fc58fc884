#pragma once
// The real office behind the export procedure, counting the instances it was asked for and
// noting their private profiles, with a viewer and a prompter that only count.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "calc/error.h"
#include "export/export_procedure.h"
#include "forwarding_host.h"
#include "office/libreoffice_host.h"
#include "office_test_support.h"

namespace quenby::test {

struct NoViewer final : BillViewer {
  int shown = 0;
  void show(const std::string&, const std::u16string&) override { ++shown; }
};

struct CountingPrompter final : Prompter {
  int reminders = 0;
  void remind(const std::u16string&) override { ++reminders; }
};

struct CountingHost : ForwardingHost {
  int instances = 0;
  std::set<std::string> profiles;
  void newInstance() override {
    ++instances;
    office.newInstance();
    profiles.insert(office.profileDirectory());
  }

  // No office of this host is still running, and their profiles are gone.
  void expectNothingLeft() const {
    EXPECT_EQ(office.officeProcessId(), 0);
    // An office started ahead is ended in the background once the export has asked it to end.
    for (const std::string& p : profiles) {
      EXPECT_TRUE(eventually([&] { return !processMentions(p); }, std::chrono::seconds(5))) << p;
      EXPECT_FALSE(std::filesystem::exists(p)) << p;
    }
  }
};

// An export of `jobFor(path)` to a bill that does not exist: the attempt and its one restart
// both fail, the error is WorkbookMissing, the reminder came once, nothing was shown, no folder
// was made on the way and no office is left.
template <class JobFor>
void expectMissingBillReported(JobFor jobFor) {
  ScratchBill scratch;
  const auto missing = scratch.dir() / u8"别处" / u8"账单明细.xls";
  ExportCounter exportCount;
  CountingHost host;
  NoViewer viewer;
  CountingPrompter prompter;
  try {
    runExport(jobFor(utf8(missing)), exportCount, host, viewer, prompter);
    ADD_FAILURE() << "no error";
  } catch (const QuenbyError& e) {
    EXPECT_EQ(e.number(), 1003);
  }
  EXPECT_EQ(host.instances, 2);
  EXPECT_EQ(exportCount.value(), 2);
  EXPECT_EQ(prompter.reminders, 1);
  EXPECT_EQ(viewer.shown, 0);
  EXPECT_FALSE(std::filesystem::exists(missing.parent_path()));
  host.expectNothingLeft();
}

}  // namespace quenby::test

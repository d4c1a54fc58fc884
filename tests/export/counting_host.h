#pragma once
// The real office behind the export procedure, counting the instances it was asked for and
// noting their private profiles, with a viewer and a prompter that only count.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "export/libreoffice_host.h"
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

struct CountingHost : SpreadsheetHost {
  LibreOfficeHost office;
  int instances = 0;
  std::set<std::string> profiles;
  void newInstance() override {
    ++instances;
    office.newInstance();
    profiles.insert(office.profileDirectory());
  }
  void openWorkbook(const std::string& path) override { office.openWorkbook(path); }
  void selectWorksheet(const std::u16string& name) override { office.selectWorksheet(name); }
  void setCellText(int row, int column, const std::u16string& text) override {
    office.setCellText(row, column, text);
  }
  void save() override { office.save(); }
  void closeAllWorkbooks() override { office.closeAllWorkbooks(); }
  void quit() override { office.quit(); }
  void release() noexcept override { office.release(); }

  // No office of this host is still running, and their profiles are gone.
  void expectNothingLeft() const {
    EXPECT_EQ(office.officeProcessId(), 0);
    for (const std::string& p : profiles) {
      EXPECT_FALSE(processMentions(p)) << p;
      EXPECT_FALSE(std::filesystem::exists(p)) << p;
    }
  }
};

}  // namespace quenby::test

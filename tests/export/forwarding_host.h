#pragma once
// Test hosts that watch or disturb one call of the real office pass the others on through this
// one; and the export's two desktop services, silenced.

#include <string>
#include <utility>

#include "export/spreadsheet_host.h"
#include "office/libreoffice_host.h"

namespace quenby::test {

struct ForwardingHost : SpreadsheetHost {
  LibreOfficeHost office;
  ForwardingHost() = default;
  explicit ForwardingHost(OfficeOptions options) : office(std::move(options)) {}
  void newInstance() override { office.newInstance(); }
  void openWorkbook(const std::string& path) override { office.openWorkbook(path); }
  void selectWorksheet(const std::u16string& name) override { office.selectWorksheet(name); }
  void setCellText(int row, int column, const std::u16string& text) override {
    office.setCellText(row, column, text);
  }
  void save() override { office.save(); }
  void closeAllWorkbooks() override { office.closeAllWorkbooks(); }
  void quit() override { office.quit(); }
  void release() noexcept override { office.release(); }
};

// No reminder box, no window showing the bill.
struct Silent final : BillViewer, Prompter {
  void show(const std::string&, const std::u16string&) override {}
  void remind(const std::u16string&) override {}
};

}  // namespace quenby::test

#pragma once
// The host the export tests drive the real office with, on offices started ahead or not; test
// hosts that watch or disturb one call of the real office pass the others on through this one;
// and the export's two desktop services, silenced.

#include <memory>
#include <string>
#include <utility>

#include "export/spreadsheet_host.h"
#include "office/libreoffice_host.h"
#include "office/office_reserve.h"

namespace quenby::test {

// Offices started ahead, as the application has them, warmed at once; none with QUENBY_PRESTART=0.
// ctest runs the suite both ways.
inline std::shared_ptr<OfficeReserve> officeReserve(const OfficeOptions& options = {}) {
  if (prestartOffInEnvironment()) return nullptr;
  auto reserve = std::make_shared<OfficeReserve>(options);
  reserve->touch();
  return reserve;
}

// The host the tests export with: on a reserve of its own unless pre-starting is off.
inline LibreOfficeHost officeHost(const OfficeOptions& options = {}) {
  if (std::shared_ptr<OfficeReserve> reserve = officeReserve(options)) return LibreOfficeHost(reserve);
  return LibreOfficeHost(options);
}

struct ForwardingHost : SpreadsheetHost {
  LibreOfficeHost office = officeHost();
  ForwardingHost() = default;
  explicit ForwardingHost(const OfficeOptions& options) : office(officeHost(options)) {}
  explicit ForwardingHost(std::shared_ptr<OfficeReserve> reserve) : office(std::move(reserve)) {}
  void newInstance() override { office.newInstance(); }
  void openWorkbook(const std::string& path) override { office.openWorkbook(path); }
  void selectWorksheet(const std::u16string& name) override { office.selectWorksheet(name); }
  void setCellText(int row, int column, const std::u16string& text) override {
    office.setCellText(row, column, text);
  }
  void save() override { office.save(); }
  void exportSheetPdf(const std::string& path) override { office.exportSheetPdf(path); }
  void closeAllWorkbooks() override { office.closeAllWorkbooks(); }
  void quit() override { office.quit(); }
  void release() noexcept override { office.release(); }
  void interrupt() noexcept override { office.interrupt(); }
};

// No reminder box, no window showing the bill.
struct Silent final : BillViewer, Prompter {
  void show(const std::string&, const std::u16string&) override {}
  void remind(const std::u16string&) override {}
};

}  // namespace quenby::test

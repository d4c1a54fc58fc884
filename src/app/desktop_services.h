#pragma once
// What the application takes from the desktop: where the bill workbook and its template live, how
// the saved bill is shown, the private office every export runs on, and the web pages of further
// calculators.

#include <QStringList>
#include <QUrl>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "export/office_supply.h"
#include "export/spreadsheet_host.h"
#include "shell/window_export.h"

namespace quenby::app {

enum class DesktopError : int {
  WebPageNotOpened = 1101,  // the desktop has no browser, or refused the address
};

// On Windows d:\账单明细.xls; elsewhere 账单明细.xls in the user's documents folder.
std::string billWorkbookPath();

// The folder every bill's PDF is kept in, beside the bill: "Quenby 账单" in the documents folder.
// "" when the user turned PDFs off (pdf=false under [bill] in ~/.config/Quenby/Quenby.conf).
std::string billPdfFolder();

// The bill template Quenby ships, for a bill that is missing: installed beside the program
// (<prefix>/share/quenby) or in the desktop's data folders, or in the build tree the program runs
// from. "" when there is none.
std::string billTemplatePath();

// Opens the saved workbook with the desktop's default application for it. When the desktop has
// no application for the file, or refuses to start it, the export fails with BillNotShown, which
// says where the saved bill is. Whether there is an application is asked of the desktop's MIME
// database (a process or two) on a thread of its own while the office works, from beginPrepare to
// endPrepare; show() asks itself only when it was not prepared.
class DesktopBillViewer final : public BillViewer {
 public:
  ~DesktopBillViewer() override { endPrepare(); }
  void beginPrepare(const std::string& pathUtf8) override;
  void endPrepare() noexcept override;
  void show(const std::string& pathUtf8, const std::u16string& sheetName) override;

 private:
  std::future<bool> asking_;
  std::optional<bool> openable_;
};

// The folders the office host module is looked for in: installed (<prefix>/lib/quenby), then beside
// the program (the build tree).
QStringList officeModuleFolders();

// The office supply of the office host module, loaded from the first of `folders` that holds it
// (office_module.h). Raises SpreadsheetMissing when none does, or when it does not load (its UNO
// runtime missing, say). Once per run.
std::unique_ptr<OfficeSupply> loadOfficeModule(const QStringList& folders,
                                               const OfficeSupplySettings& settings);

// The program's offices: from the office host module, loaded only when an office is first wanted
// (office_on_demand.h).
std::shared_ptr<OfficeSupply> desktopOffices(const OfficeSupplySettings& settings);

// The bill in the documents folder, a private LibreOffice per click from `offices` (by default
// none started ahead), the desktop's viewer, the installed template.
ExportServices desktopExportServices(std::shared_ptr<OfficeSupply> offices = nullptr);

// Hands the address to the desktop's browser; raises WebPageNotOpened when the desktop has no
// browser or refuses.
void openWebPage(const QUrl& url);

}  // namespace quenby::app

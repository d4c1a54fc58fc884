#pragma once
// The spreadsheet host on LibreOffice Calc. Every instance is a private headless office (own
// temporary profile, own pipe, own process group) that this host starts itself, or takes ready
// from a reserve of offices started ahead (office_reserve.h); the host drives it through UNO and
// ends it again: no office process outlives the host, also after a failure, a call that passes its
// deadline, a cancel, or the end of the program (see office_process.h and termination.h).

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>

#include "export/cell_runs.h"
#include "export/spreadsheet_host.h"
#include "office/office_links.h"

namespace quenby {

struct OfficeOptions {
  // The office start script. Empty: the installed LibreOffice, else "soffice" on the PATH.
  std::string sofficePath;
  // How long a started office may take to answer on its pipe.
  std::chrono::milliseconds answerTimeout{15000};
  // How long a terminated office may take to exit before it is killed.
  std::chrono::milliseconds quitTimeout{5000};
  // How long one call on the office may take before the office is taken for stalled, ended, and
  // the call reported as unanswered (SpreadsheetNoAnswer).
  std::chrono::milliseconds callTimeout{15000};
  // Added for each started megabyte of the bill to the time opening and saving it may take: a
  // 39 MB bill took 7 s to open on an idle machine, and many times that on a busy one.
  std::chrono::milliseconds timeoutPerMegabyte{5000};
  // The register every office is listed in and the flag that says Quenby is ending: the program's
  // own; in the office host module, the links the program handed it.
  const OfficeModuleLinks* links = &ownOfficeLinks();
};

class OfficeInterrupt;
class OfficeProcess;
class OfficeReserve;

class LibreOfficeHost final : public SpreadsheetHost {
 public:
  LibreOfficeHost();
  explicit LibreOfficeHost(OfficeOptions options);
  // Takes its offices from `reserve`, with the reserve's options, and has the reserve start the
  // next one once an office of its has ended.
  explicit LibreOfficeHost(std::shared_ptr<OfficeReserve> reserve);
  ~LibreOfficeHost() override;
  LibreOfficeHost(const LibreOfficeHost&) = delete;
  LibreOfficeHost& operator=(const LibreOfficeHost&) = delete;

  void newInstance() override;
  void openWorkbook(const std::string& pathUtf8) override;
  void selectWorksheet(const std::u16string& name) override;
  // Neighbouring cells written one after another reach the office in one call, when the run
  // ends: at the next cell that does not continue it, or at the save (within its deadline).
  void setCellText(int row, int column, const std::u16string& text) override;
  void save() override;
  // The selected worksheet alone (the filter's Selection), fonts embedded, by the PDF filter.
  void exportSheetPdf(const std::string& pathUtf8) override;
  void closeAllWorkbooks() override;
  void quit() override;
  void release() noexcept override;
  // Any thread: ends the office at once, also one that is starting or that the host waits for
  // from the reserve; the blocked call raises ExportCancelled, and so does every later one. A host
  // that was interrupted is not used again.
  void interrupt() noexcept override;

  // The running office: its process id (0 when none) and its temporary profile directory
  // (empty when none). For tests and diagnostics.
  pid_t officeProcessId() const noexcept;
  std::string profileDirectory() const;

 private:
  struct Document;
  void officeEnded() noexcept;
  void writeRun(const CellRuns::Run& run, std::chrono::milliseconds timeout);

  std::shared_ptr<OfficeReserve> reserve_;
  std::shared_ptr<OfficeInterrupt> interrupt_;
  OfficeOptions options_;
  std::unique_ptr<OfficeProcess> office_;
  std::unique_ptr<Document> document_;
};

}  // namespace quenby

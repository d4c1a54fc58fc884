#pragma once
// The log tally sheet's export: its 203-cell map into the worksheet "原木一", with one silent
// restart of a failed attempt.

#include <string>

#include "export/export_procedure.h"
#include "logtally/log_tally_sheet.h"

namespace quenby {

const SheetExport& logTallyExport();

// The job of one click of Command3.
inline ExportJob logTallyExportJob(const LogTallySheet& sheet, const std::string& workbookPath) {
  return exportJob(logTallyExport(), sheet, workbookPath);
}

}  // namespace quenby

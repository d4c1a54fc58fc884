#pragma once
// The sawn-timber sheet's export: its 65-cell map into the worksheet "锯材账单", with one silent
// restart of a failed attempt.

#include <string>

#include "export/export_procedure.h"
#include "sawn/sawn_timber_sheet.h"

namespace quenby {

const SheetExport& sawnTimberExport();

// The job of one click of Command4.
inline ExportJob sawnTimberExportJob(const SawnTimberSheet& sheet, const std::string& workbookPath) {
  return exportJob(sawnTimberExport(), sheet, workbookPath);
}

}  // namespace quenby

#pragma once
// The log tally sheet's export: its 203-cell map into the worksheet "原木一".

#include <string>
#include <vector>

#include "export/export_procedure.h"
#include "logtally/log_tally_sheet.h"

namespace quenby {

extern const char16_t kLogTallyWorksheet[];  // "原木一"

std::vector<CellSource> logTallyCellMap(LogTallySheet& sheet);

// The job of one click of Command3: the cell map, "原木一", one silent restart.
ExportJob logTallyExportJob(LogTallySheet& sheet, const std::string& workbookPath);

}  // namespace quenby

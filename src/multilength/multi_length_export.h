#pragma once
// The multi-length sheet's export: its 123-cell map into the worksheet "原木二", a single attempt.

#include <string>

#include "export/export_procedure.h"
#include "multilength/multi_length_sheet.h"

namespace quenby {

const SheetExport& multiLengthExport();

// The job of one click of Command2.
inline ExportJob multiLengthExportJob(const MultiLengthSheet& sheet, const std::string& workbookPath) {
  return exportJob(multiLengthExport(), sheet, workbookPath);
}

}  // namespace quenby

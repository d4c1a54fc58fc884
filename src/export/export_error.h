#pragma once
// The numbers of the export's failures, each with a plain description an operator can act on.

#include "calc/error.h"

namespace quenby {

enum class ExportError : int {
  SpreadsheetMissing = 1001,   // no spreadsheet application installed
  SpreadsheetNoAnswer = 1002,  // the office started but did not answer, or broke off
  WorkbookMissing = 1003,
  WorksheetMissing = 1004,
  WorkbookNotSaved = 1005,    // read-only, or open in another program
  BillNotShown = 1006,        // the desktop refused to open the saved bill
  SpreadsheetFailed = 1007,   // any other failure reported by the office
  WorkbookUnreadable = 1008,  // the bill is there but is not a workbook (empty, text, damaged)
  TextTooLong = 1009,         // a field holds more than a cell of the bill can
  ExportAbandoned = 1010,     // Quenby is ending; the export was broken off
  BillDiskFull = 1011,        // the bill's disk has no room for a saved copy of it
  BillFolderReadOnly = 1012,  // the bill's folder, or its whole file system, may not be written
  BillNotCreated = 1013,      // the missing bill could not be copied from its template
  ExportCancelled = 1014,     // the user cancelled the export; never reported
  PdfNotWritten = 1015,       // the bill is saved, but its PDF could not be written
};

// The error a cancelled export ends with.
inline QuenbyError exportCancelled() { return QuenbyError(ExportError::ExportCancelled, "导出已取消"); }

}  // namespace quenby

#pragma once
// The PDF of a ledger record that has none (recorded before PDFs were made, a draft, another
// office's record, or its file deleted): the record is written into a scratch copy of the user's
// bill (of the bill template when there is no bill) in a private temporary folder, never into the
// bill itself, and that sheet is kept as a PDF the way an export keeps it, so that the titles the
// user added to the bill are on it too. The copy is removed again.

#include <string>

#include "shell/window_export.h"
#include "store/records.h"

namespace quenby::app {

// Makes the PDF of `record` with the office and the bill of `services`, into services.pdfFolder;
// returns its path. Runs the office's work off the calling thread (the window's), whose event loop
// goes on. Raises QuenbyError: the export's errors, PdfNotWritten, and LedgerUnreadable for a
// record of a calculator this version does not have.
std::string makeRecordPdf(const store::LedgerRecord& record, const ExportServices& services);

}  // namespace quenby::app

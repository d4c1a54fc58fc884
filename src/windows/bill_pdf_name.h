#pragma once
// Where a bill's PDF goes: `<root>/<yyyy-mm>/<yyyy-mm-dd hhmmss> <worksheet> <buyer>.pdf`, in
// local time. The buyer's text is made fit for a file name: no "/", no control or format
// characters (each becomes a space, runs of spaces one), no leading dot or space, at most 60
// characters and 180 bytes; an empty buyer leaves the name without it. A draft's name says 未导出.

#include <QDateTime>
#include <QString>

#include "export/bill_pdf.h"
#include "store/snapshot.h"

namespace quenby::app {

// Every bill's PDF is kept in a folder of the user's documents folder.
inline constexpr char16_t kPdfFolderName[] = u"Quenby 账单";

// The buyer's text as it stands in a PDF's file name.
QString fileNameBuyer(const QString& buyer);

// The PDF of the sheet `texts` (its key names the calculator) made at `at`, under `root`.
PdfRequest billPdfRequest(const QString& root, const QDateTime& at, const store::SheetState& texts,
                          bool draft);

}  // namespace quenby::app

#pragma once
// The rows a ledger list shows, written as a CSV file for a spreadsheet: UTF-8 with a byte order
// mark (so that Calc and Excel read the Chinese texts), the list's columns and cells as shown,
// RFC 4180 quoting, and every cell that a spreadsheet could take for a formula (one beginning
// with =, +, -, @, a tab or a carriage return, unless it is a plain number) led by a single quote.

#include <QString>

#include "store/ledger.h"

namespace quenby::store {

// Writes the list of `filter` in the order `sort`, up to record `lastId`, to the file `path`,
// replacing it only once the whole file is written. Raises CsvNotWritten, or LedgerUnreadable.
void writeCsv(const Ledger& ledger, const Filter& filter, const Sort& sort, qint64 lastId,
              const QString& path);

}  // namespace quenby::store

#pragma once
// The numbers of the store's failures, each with a description that says what happened, where,
// and that the program goes on.

#include <QString>

#include "calc/error.h"

namespace quenby::store {

enum class StoreError : int {
  FolderUnwritable = 1201,       // the data folder cannot be made or written: nothing is kept this run
  Damaged = 1202,                // the database was damaged; it was moved aside and a new one made
  NewerVersion = 1203,           // a newer Quenby's database: left as it is, nothing is kept this run
  SaveFailed = 1204,             // one autosave failed (a full disk); later saves try again
  ReadFailed = 1205,             // the store could not be read at start: nothing is brought back
  RecordFailed = 1206,           // a bill was exported but could not be kept in the ledger
  LedgerUnreadable = 1207,       // the ledger cannot be read (or a record of it is damaged)
  RecordNotDeleted = 1208,       // a record could not be deleted from the ledger
  CsvNotWritten = 1209,          // the ledger's rows could not be written to the chosen file
  RecordOfAnotherOffice = 1210,  // a record of another office cannot be deleted here (`where`: that office)
  PdfNotOpened = 1211,           // a record's PDF, or its folder, could not be handed to the desktop
  PdfNotKept = 1212,             // a record's PDF was made but its path could not be noted in the ledger
};

// `where` is the folder or file concerned; `reason` the system's own words, may be empty.
QuenbyError storeError(StoreError code, const QString& where, const QString& reason = {});

// The line the ledger window shows under its list once `count` exports of this run could not be
// recorded, `last` (a RecordFailed error) the last of them.
QString unrecordedExports(int count, const QuenbyError& last);

}  // namespace quenby::store

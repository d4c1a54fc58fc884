#pragma once
// The operations an export calls on the spreadsheet application that holds the bill workbook,
// and the two small interfaces around it: showing the saved bill and the modal reminder.

#include <cstddef>
#include <string>

namespace quenby {

// The most characters (UTF-16 code units) one cell of the bill holds: an Excel 97 workbook stores
// no more, and the office cuts a longer text without a word.
inline constexpr std::size_t kMaxCellTextLength = 32767;

// One instance of a spreadsheet application driven invisibly. Every call may raise QuenbyError.
class SpreadsheetHost {
 public:
  virtual ~SpreadsheetHost() = default;

  virtual void newInstance() = 0;                                // start a fresh, private instance
  virtual void openWorkbook(const std::string& pathUtf8) = 0;    // keep it as the workbook
  virtual void selectWorksheet(const std::u16string& name) = 0;  // keep it as the sheet
  // 1-based row and column; the text is written as text, never as a formula.
  virtual void setCellText(int row, int column, const std::u16string& text) = 0;
  virtual void save() = 0;  // back to the same path, same format, no prompt
  // After the save: writes the selected worksheet alone as a PDF into the file at `pathUtf8`, as
  // the spreadsheet prints it (its page style's paper and scale, fonts embedded). A host that
  // cannot raises an error.
  virtual void exportSheetPdf(const std::string& pathUtf8);
  virtual void closeAllWorkbooks() = 0;  // every workbook of the instance, unsaved changes lost
  virtual void quit() = 0;               // end the instance
  // Drop the instance: ends it without saving when it is still running. Also after a failure.
  virtual void release() noexcept = 0;
  // The user's cancel, from another thread while a call runs: ends the instance so that the call
  // returns at once with an error. A host that cannot do so lets the export notice the cancel
  // between its calls.
  virtual void interrupt() noexcept {}
};

// Shows the saved bill to the user for printing.
class BillViewer {
 public:
  virtual ~BillViewer() = default;
  // On the thread that drives the office, around the office's part of an export: what showing the
  // bill needs to know from the desktop may be asked meanwhile, so that neither the window's
  // thread nor the office's work waits for it. endPrepare follows every beginPrepare, also when
  // the office's part failed.
  virtual void beginPrepare(const std::string& /*pathUtf8*/) {}
  virtual void endPrepare() noexcept {}
  virtual void show(const std::string& pathUtf8, const std::u16string& sheetName) = 0;
};

// The modal message box: text, OK only, no icon, caption "Quenby".
class Prompter {
 public:
  virtual ~Prompter() = default;
  virtual void remind(const std::u16string& text) = 0;
};

}  // namespace quenby

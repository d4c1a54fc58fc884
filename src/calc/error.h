#pragma once
// The one error type of Quenby. Every failure the user may see is a QuenbyError with a number
// and a description; the windows' event guard shows both in a message box.

#include <stdexcept>
#include <string>

namespace quenby {

enum class ErrorCode : int {
  InvalidOperation = 5,  // an arithmetic result that is not a number (0 × ∞, ∞ − ∞)
  Overflow = 6,          // a result beyond the double range
  DivisionByZero = 11,
  TypeMismatch = 13,     // strict conversion of a text that is not a number
  OutOfMemory = 7,
  Unexpected = 51,       // anything the program did not foresee

  // Spreadsheet export
  SpreadsheetMissing = 1001,    // no spreadsheet application installed
  SpreadsheetNoAnswer = 1002,   // the office started but did not answer, or broke off
  WorkbookMissing = 1003,
  WorksheetMissing = 1004,
  WorkbookNotSaved = 1005,      // read-only, or open in another program
  BillNotShown = 1006,          // the desktop refused to open the saved bill
  SpreadsheetFailed = 1007,     // any other failure reported by the office
};

class QuenbyError : public std::runtime_error {
 public:
  QuenbyError(ErrorCode code, std::string description);

  ErrorCode code() const noexcept { return code_; }
  int number() const noexcept { return static_cast<int>(code_); }
  // UTF-8, in the language of the user interface.
  const std::string& description() const noexcept { return description_; }

 private:
  ErrorCode code_;
  std::string description_;
};

// The standard description of an error number, e.g. "溢出：…" for Overflow.
std::string standardDescription(ErrorCode code);

// Throws QuenbyError(code, standardDescription(code)).
[[noreturn]] void raise(ErrorCode code);

}  // namespace quenby

#pragma once
// The one error type of Quenby. Every failure the user may see is a QuenbyError with a number
// and a description; the windows' event guard shows both in a message box. Each layer numbers
// its own failures in an enum of its own (the arithmetic ones here, the export's in
// export/export_error.h); the error keeps only the number.

#include <stdexcept>
#include <string>
#include <type_traits>

namespace quenby {

enum class ErrorCode : int {
  InvalidOperation = 5,  // an arithmetic result that is not a number (0 × ∞, ∞ − ∞)
  Overflow = 6,          // a result beyond the double range
  OutOfMemory = 7,
  DivisionByZero = 11,
  TypeMismatch = 13,  // strict conversion of a text that is not a number
  Unexpected = 51,    // anything the program did not foresee
};

class QuenbyError : public std::runtime_error {
 public:
  QuenbyError(int number, std::string description);
  template <class Code>
  requires std::is_enum_v<Code> QuenbyError(Code code, std::string description)
      : QuenbyError(static_cast<int>(code), std::move(description)) {}

  int number() const noexcept { return number_; }
  template <class Code>
  requires std::is_enum_v<Code>
  bool is(Code code) const noexcept { return number_ == static_cast<int>(code); }
  // UTF-8, in the language of the user interface.
  const std::string& description() const noexcept { return description_; }

 private:
  int number_;
  std::string description_;
};

// The standard description of an error number, e.g. "溢出：…" for Overflow.
std::string standardDescription(ErrorCode code);

// Throws QuenbyError(code, standardDescription(code)).
[[noreturn]] void raise(ErrorCode code);

}  // namespace quenby

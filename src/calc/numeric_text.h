#pragma once
// The conversions between field text and number shared by every sheet, the checked arithmetic
// they compute with, and the ordinal comparison the clearing rules use.

#include <string>
#include <string_view>

namespace quenby {

// Lenient read of a field: blanks, tabs and line feeds are ignored anywhere; an optional sign,
// digits with at most one full stop, an optional E or D exponent; or &H / &O followed by hex or
// octal digits. Reading stops at the first character that cannot continue the number; no digit
// gives 0. Never fails. An exponent beyond the double range reads as ±infinity (or ±0 when too
// small); the first arithmetic step on it raises the overflow error.
double leadingNumber(std::u16string_view text);

class Field;
// A field's text read by the leading-number rule: how every calculation reads its operands.
double number(const Field& field);

// Strict conversion: the whole text (surrounding blanks allowed) must be one number in the
// same syntax, else QuenbyError(TypeMismatch).
double strictNumber(std::u16string_view text);

enum class Mask { Decimals4, Decimals3, Decimals2 };  // "0.0000", "0.000", "0.00"

int decimalsOf(Mask mask);

// Fixed decimals, at least one digit before the point, no separators, full stop as point.
// Rounds half away from zero on the value's 15-significant-digit decimal form. A value that
// rounds to zero is written without a minus sign. Infinity or NaN raises the arithmetic error.
std::u16string formatMasked(double value, Mask mask);

// Counts: up to 15 significant digits, no trailing zeros or point. Exponent form ("1E+15",
// "1.5E-05") from 1E15 on and below 1E-4. Infinity or NaN raises the arithmetic error.
std::u16string formatPlain(double value);

// Ordinal "sorts before": code unit by code unit, a proper prefix first.
inline bool sortsBefore(std::u16string_view text, std::u16string_view threshold) { return text < threshold; }

// Arithmetic checked after every step: a NaN result raises InvalidOperation, an infinite one
// Overflow (DivisionByZero for a finite number divided by zero).
namespace checked {
double add(double a, double b);
double sub(double a, double b);
double mul(double a, double b);
double div(double a, double b);
}  // namespace checked

}  // namespace quenby

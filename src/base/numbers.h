#pragma once
// Numbers as text: the one test-and-conversion of cell and field texts, the
// whole-number conversion, and the display formats used across the program.
// Everything here is locale-independent: the decimal point is always '.'.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velta {

// Accepts optional blanks around, an optional sign, digits with one decimal
// separator ('.', or ',' when no '.' is present) and an optional exponent.
// Texts whose value does not fit a finite double ("1e999") and "nan"/"inf"
// are not numbers. Values too small for a double become 0. A text that
// IsAmbiguousComma calls ambiguous is not a number either.
std::optional<double> ParseNumber(std::string_view text);
// The text without the blanks (space, tab, line ends) around it.
std::string_view TrimBlanks(std::string_view text);
// "1,234" or "-12,500": one comma followed by exactly three digits after a
// whole part other than 0, which reads as a thousands separator as well as a
// decimal comma. Pasted lists with thousands separators would otherwise come
// in a thousand times too small.
bool IsAmbiguousComma(std::string_view text);
inline bool IsNumeric(std::string_view text) {
    return ParseNumber(text).has_value();
}

// Whole-number conversion: nearest integer, halves to the even neighbour.
// OverflowError outside the 32-bit range or for NaN.
int32_t RoundToInt32(double v);
// Numeric and equal to its rounded value (within the 32-bit range).
bool IsWholeNumber(std::string_view text);
// A whole number written with its thousands grouped by commas, as
// FormatGrouped writes it ("184,756"); nullopt for any other text.
std::optional<int64_t> ParseGroupedWholeNumber(std::string_view text);
// Int: the integer part toward minus infinity.
double IntPart(double v);

// A number rounded to `decimals` places as a person reads it: a leading zero
// before the point, no trailing zeros after it and no point without digits
// after it, zero as "0", and a minus sign only when a digit shown is not 0
// (12 -> "12", 0.5 -> "0.5", 3.14159 -> "3.142", -0.0004 -> "0"); from 1E+15
// on in "0.00E+00" form.
std::string FormatFixed(double v, int decimals);
inline std::string Format3(double v) {
    return FormatFixed(v, 3);
}
inline std::string Format2(double v) {
    return FormatFixed(v, 2);
}
inline std::string Format4(double v) {
    return FormatFixed(v, 4);
}
// `digits` significant digits, then as FormatFixed: 0.0041234 -> "0.004123",
// 2.4504 -> "2.45", 123456.7 -> "123457"; numbers of more than 15 digits
// before the point, or too small to show, in "0.00E+00" form.
std::string FormatSignificant(double v, int digits);
// "0.00E+00": 184756 -> "1.85E+05".
std::string FormatScientific(double v);
// "##0.0##": at least one digit each side of the point, at most 3 decimals.
std::string FormatAxis(double v);
// General number: up to 15 significant digits, no trailing zeros.
std::string FormatGeneral(double v);
// A whole number with its thousands grouped by commas: 184756 -> "184,756".
std::string FormatGrouped(int64_t v);
// The general number when it reads back to the same double, else the
// shortest text that does (0.30000000000000004, 1.7976931348623157E+308, -0):
// values read from files keep every bit, the sign of zero included, through
// the grid's text.
std::string FormatExact(double v);
// Plain integer.
std::string FormatInteger(int64_t v);

}  // namespace velta

// The runtime's number conversions. Numbers are always written and read with "." as the
// decimal point. None of them raises: overflow is clamped, and what is not a number reads as 0.
#pragma once
#include <cstdint>
#include <string>

namespace vb {

// Leading-number conversion: blanks, tabs and line feeds are skipped anywhere; then a sign,
// digits, one ".", an exponent (E or D); or &H / &O with hex or octal digits. The first other
// character ends the number. "12abc" is 12, "" is 0, "&H10" is 16, "&HFFFF" is -1.
double Val(const std::string& s);

// Whether the whole text (blanks around it allowed) reads as a number.
bool IsNumeric(const std::string& s);

// Default texts: Single with 7 significant digits, Double with 15, no trailing zeros,
// exponent form (1E-05, 1.234568E+07) outside the fixed range; whole numbers as plain decimals.
std::string CStr(float x);
std::string CStr(double x);
std::string CStr(int32_t x);
std::string CStr(int64_t x);
std::string CStr(bool x);  // "True" / "False"

// To a whole number, halves to even; clamped to the type's range, NaN gives 0.
int32_t CLng(double x);
int16_t CInt(double x);

// Floor and truncation, in the argument's own precision.
float Int(float x);
double Int(double x);
float Fix(float x);
double Fix(double x);

// To n decimals, halves to even.
float Round(float x, int n = 0);
double Round(double x, int n = 0);

// Number masks of "0" (digit always shown), "#" (digit when significant) and one ".": "0.0",
// "00", "#0.00". The value is taken with its own precision (7 digits for a Single, 15 for a
// Double) and rounded to the mask's decimals with halves away from zero.
std::string Format(double x, const std::string& mask);
std::string Format(float x, const std::string& mask);

}  // namespace vb

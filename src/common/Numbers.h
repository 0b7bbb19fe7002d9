#pragma once
// Number reading, rounding and the written forms used in the program's text files.
#include <QString>
#include <QStringView>
#include <cstdint>

namespace orasent {

// Rounds to the nearest whole number, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double nearest(double x);

// nearest(x) as an integer, saturated to +-2^53 so that absurd positions from an edited file
// can be compared and clamped without overflow. Non-finite input gives 0.
std::int64_t nearestInt(double x);

// The numeric prefix of a text: leading blanks (spaces and tabs) are skipped, then the longest
// prefix of the form [+-]digits[.digits][(E|e|D|d)[+-]digits] is read. No such prefix, or a
// value that does not fit a double, gives 0. `consumed` (optional) receives the number of
// characters used, blanks included; 0 when there is no number.
double numericPrefix(QStringView text, int* consumed = nullptr);

// True when the whole text (blanks around it allowed) is one number; its value goes to *value.
bool parseWholeNumber(QStringView text, double* value);

// Plain decimal notation, never an exponent, with at most `significantDigits` significant
// digits and no trailing zeros after the point: 12.5, -3, 0.04, 1234567.
QString plainDecimal(double value, int significantDigits);

// A number as the settings file writes it: a leading blank when not negative, no trailing blank.
// Doubles carry up to 15 significant digits, singles up to 7.
QString formatSigned(double value, int significantDigits = 15);

// A number as the state file writes it: the signed form above followed by one blank.
QString formatStateNumber(double value);

// A 16-bit value check: true when nearest(value) lies within -32768..32767.
bool fitsInt16(double value);

} // namespace orasent

#pragma once
#include <QString>

namespace k740 {

// Where a decimal number written with "." as the decimal point stands at the
// start of a text: leading blanks, an optional sign, digits with an optional
// fraction, an optional exponent ("E" or "e", optional sign).
struct TRealScan {
    int Start = 0;         // first character of the number (its sign, if any)
    int End = 0;           // first character that does not belong to it
    bool Complete = false; // digits were found and an exponent, if begun, has digits
};
TRealScan ScanReal(const QString& text);

// Text to single-precision real. The first occurrence of the user's decimal
// separator counts as ".". Returns true when the whole text was a number as
// ScanReal reads it, within the range of a float; `value` is written only then.
bool ParseReal(const QString& text, float& value);

} // namespace k740

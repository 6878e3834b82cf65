#pragma once
#include <QChar>
#include <QString>

namespace k740 {

// The user's decimal separator (QLocale() follows the system locale unless a
// test sets another default).
QChar DecimalSeparator();

// Fixed-point text of value: rounded once, halves away from zero, to whichever
// is fewer of `precision` significant digits and `decimals` digits after the
// separator; then written with exactly `decimals` decimals, the user's decimal
// separator, no thousands separator and a leading "-" for negative values.
// A value with more than `precision` digits before the separator is written
// in exponent notation. A value that rounds to zero has no sign.
QString FormatFixed(double value, int precision, int decimals);

// Fixed-point text with at most 4 decimals and 8 significant digits,
// trailing zeros (and a bare separator) removed: 0.244140625 gives 0.2441.
QString FormatMicrons(double value);

} // namespace k740

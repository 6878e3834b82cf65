#pragma once
#include <QString>
#include <cstdint>
#include <limits>
#include <optional>

namespace k740 {

// Integer text as the INI file holds it: decimal with an optional sign, or
// hexadecimal when longer than two characters and beginning "0x" or "0X"
// (read as the two's complement of a `bits`-wide word, so 0xFFFFFFFF is -1
// for 32 bits). Nothing when the text is not such a number or does not fit in
// `bits` (32 or 64) bits.
std::optional<int64_t> ParseIniInteger(const QString& text, int bits);

// Absolute value that stays defined for the most negative value, which
// becomes the largest positive one.
template <class Int> Int AbsoluteValue(Int value)
{
    if (value == std::numeric_limits<Int>::min())
        return std::numeric_limits<Int>::max();
    return value < 0 ? Int(-value) : value;
}

// CPM as written to the file: rounded to 8 significant digits, with no
// decimals when it lies within 0.01 of an integer, else with one decimal;
// `separator` is the decimal separator (also of the exponent notation that
// values of more than 8 digits take).
QString CpmText(float cpm, QChar separator);

// A real number as the file holds it, whichever of "." and "," the program
// that wrote it used as its decimal separator (see ParseReal); `value` is
// written only when the whole text is a number.
bool ParseIniReal(const QString& text, float& value);

// The decimal separator a saved real keeps: "," when the value the file
// holds (if any) has a comma and no point, else ".". So the file reads back
// the same in the program that wrote it.
QChar IniDecimalSeparator(const std::optional<QString>& heldText);

} // namespace k740

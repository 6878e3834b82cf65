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
// decimals when it lies within 0.01 of an integer, else with one decimal, in
// the user's decimal separator.
QString CpmText(float cpm);

} // namespace k740

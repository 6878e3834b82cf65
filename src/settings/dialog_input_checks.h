#pragma once
#include <QString>
#include <cstdint>
#include <optional>

namespace k740 {

// The checks of the settings dialog's typed-in numbers. Each text is an
// integer as the INI file holds it (decimal, or hexadecimal after "0x"),
// surrounding blanks allowed; a number beyond the stated width is refused.

// Custom counts per revolution: a 64-bit integer, taken as its absolute
// value, which must be above 0.
std::optional<int64_t> CustomCprFromText(const QString& text);

// Nominal increment of distance-coded marks in signal periods: a 32-bit
// integer above 0 and even.
std::optional<int32_t> NominalIncrementFromText(const QString& text);

// Nominal increment in periods from the basic increment K in mm: K must be a
// 32-bit integer above 0 and divisible by 2 x periodLength (mm); the result
// is K / periodLength.
std::optional<int32_t> NominalIncrementFromBasic(const QString& text, int32_t periodLength);

} // namespace k740

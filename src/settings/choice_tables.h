#pragma once
#include <QStringList>
#include <array>
#include <cstdint>

namespace k740 {

// The values the settings dialog offers in its lists, in list order.

// Counts per millimetre of a linear encoder; listed as resolutions in µm.
extern const std::array<float, 39> ResolutionTable;
// Counts per revolution of a rotary encoder.
extern const std::array<int64_t, 23> CprTable;
// Counts per signal period of a distance-coded encoder.
extern const std::array<int32_t, 8> CppTable;

// The list texts: 1000 / value in µm (at most 4 decimals, trailing zeros
// dropped, the user's decimal separator), and plain decimal counts.
QStringList ResolutionTexts();
QStringList CprTexts();
QStringList CppTexts();
// The text of one resolution, also of one in no row.
QString ResolutionText(float cpm);

// The row a list selects for a value: the first row holding exactly that
// value, else -1 (the list then shows the value in a row of its own).
int ResolutionRow(float cpm);
int CppRow(int32_t cpp);

// Whether `row` is one of the table's rows.
template <class Table> bool IsTableRow(const Table& table, int row)
{
    return row >= 0 && size_t(row) < table.size();
}

} // namespace k740

#include "settings/choice_tables.h"

#include "settings/decimal_text.h"

#include <algorithm>

namespace k740 {

const std::array<float, 39> ResolutionTable
    = {4096, 2048, 1024, 512, 256, 128, 64, 32, 16, 8, 4, 1000000, 500000, 400000, 250000, 200000, 100000, 50000, 25000,
        20000, 10000, 5000, 4000, 2500, 2000, 1000, 800, 500, 400, 250, 200, 160, 100, 80, 50, 40, 20, 10, 1.6f};

const std::array<int64_t, 23> CprTable = {
    8192, 4096, 2048, 2000, 1600, 1024, 1000, 800, 512, 500, 400, 320, 256, 200, 160, 128, 100, 80, 64, 40, 32, 16, 8};

const std::array<int32_t, 8> CppTable = {4, 20, 40, 100, 200, 400, 1000, 2000};

namespace {

template <class Table> QStringList DecimalTexts(const Table& table)
{
    QStringList texts;
    for (const auto value : table)
        texts.append(QString::number(value));
    return texts;
}

template <class Table, class Value> int FirstRowOf(const Table& table, Value value)
{
    const auto found = std::find(table.begin(), table.end(), value);
    return found == table.end() ? -1 : int(found - table.begin());
}

} // namespace

QStringList ResolutionTexts()
{
    QStringList texts;
    for (const float cpm : ResolutionTable)
        texts.append(ResolutionText(cpm));
    return texts;
}

QString ResolutionText(float cpm)
{
    // Divided in extended precision, then held as a float like the table.
    return FormatMicrons(float(1000.0L / cpm));
}

QStringList CprTexts()
{
    return DecimalTexts(CprTable);
}

QStringList CppTexts()
{
    return DecimalTexts(CppTable);
}

int ResolutionRow(float cpm)
{
    return FirstRowOf(ResolutionTable, cpm);
}

int CppRow(int32_t cpp)
{
    return FirstRowOf(CppTable, cpp);
}

} // namespace k740

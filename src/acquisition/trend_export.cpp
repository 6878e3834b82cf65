#include "acquisition/trend_export.h"

#include "acquisition/cycle_row_columns.h"

namespace k740 {

QByteArray TrendCsv(const TTrendBuffer& buffer, int64_t fromUs, int64_t toUs)
{
    QByteArray csv(kCycleRowColumns);
    csv += '\n';
    const size_t first = buffer.firstAtOrAfter(fromUs);
    for (size_t i = first; i < buffer.size() && buffer.at(i).TimeUs <= toUs; ++i) {
        const TTrendPoint& point = buffer.at(i);
        csv += QByteArray::number(double(point.TimeUs - buffer.at(first).TimeUs) / 1e6, 'f', 6);
        AppendRowTail(csv, point.sample());
    }
    return csv;
}

} // namespace k740

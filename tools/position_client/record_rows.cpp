#include "record_rows.h"

#include "service/position_service_names.h"

namespace Names = k740::position_service;

namespace k740client {

QByteArray RecordHeader()
{
    return QByteArray(Names::kStreamColumns) + '\n';
}

std::optional<quint64> RowCycle(const QByteArray& row)
{
    const qsizetype from = row.indexOf(',') + 1;
    const qsizetype to = row.indexOf(',', from);
    if (from == 0 || to < 0)
        return std::nullopt;
    bool ok = false;
    const quint64 number = QByteArrayView(row.constData() + from, to - from).toULongLong(&ok);
    return ok ? std::optional<quint64>(number) : std::nullopt;
}

void TCycleGaps::see(quint64 number)
{
    if (Last && number > *Last)
        Missed += number - *Last - 1;
    Last = number;
}

QString RecordSummary(quint64 rows, quint64 missed)
{
    return QStringLiteral("k740-position: %1 rows written, %2 cycles missed").arg(rows).arg(missed);
}

} // namespace k740client

#include "record_rows.h"

namespace k740client {

QByteArray RecordHeader()
{
    return "seconds,cycle,raw,value,text,valid,crc\n";
}

QByteArray RecordLine(const TCycleRow& row, qint64 firstReplyTimeUs)
{
    QByteArray line = QByteArray::number(double(row.ReplyTimeUs - firstReplyTimeUs) / 1e6, 'f', 6);
    line += ',' + QByteArray::number(row.Number) + ',';
    if (row.Valid)
        line += QByteArray::number(row.RawCount) + ',' + QByteArray::number(row.Value, 'g', 15);
    else
        line += ',';
    QByteArray text = row.Text.toUtf8();
    text.replace('"', "\"\"");
    line += ",\"" + text + "\"," + (row.Valid ? '1' : '0') + ',' + (row.CrcOk ? '1' : '0') + '\n';
    return line;
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

#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace k740client {

// One Cycle signal of the position service.
struct TCycleRow {
    quint64 Number = 0;
    qint64 ReplyTimeUs = 0;
    qint64 RawCount = 0;
    double Value = 0;
    QString Text;
    bool Valid = false;
    bool CrcOk = true;
};

// The recording's CSV (UTF-8, "\n" ends a line): a header, then one line per
// cycle. Raw count and value stay empty for a cycle without a usable frame,
// so that nothing stands for a position that was not read; the text is
// always quoted (it may hold the decimal comma or a double quote).
QByteArray RecordHeader();
QByteArray RecordLine(const TCycleRow& row, qint64 firstReplyTimeUs);

// Counts the cycles missing between the cycle numbers seen. A number that
// does not grow (a new copy of the program) starts counting afresh.
class TCycleGaps {
public:
    void see(quint64 number);
    quint64 missed() const { return Missed; }

private:
    std::optional<quint64> Last;
    quint64 Missed = 0;
};

// "k740-position: 5821 rows written, 0 cycles missed"
QString RecordSummary(quint64 rows, quint64 missed);

} // namespace k740client

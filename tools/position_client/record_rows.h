#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace k740client {

// The recording's CSV (UTF-8, "\n" ends a line): a header, then the rows
// of the stream as the program wrote them.
QByteArray RecordHeader();
// The cycle number of a row (its second field); nullopt when it has none.
std::optional<quint64> RowCycle(const QByteArray& row);

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

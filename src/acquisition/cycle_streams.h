#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace k740 {

// One acquisition cycle as offered to programs that follow every cycle.
struct TCycleSample {
    uint64_t Number = 0;     // counts the run's cycles from 1, across connections
    int64_t ReplyTimeUs = 0; // end of the position exchange, monotonic clock
    int64_t RawCount = 0;    // the position as decoded, before direction and offsets
    double Value = 0;        // in the unit shown (the log's value)
    QString Text;            // the read-out's text of the cycle; empty after a link loss
    bool Valid = false;      // a usable frame arrived; else RawCount and Value are 0
    bool CrcOk = true;       // no CRC mismatch
};

// The row of a cycle after its seconds (kCycleRowColumns):
// ",cycle,raw,value,"text",valid,crc" and a line feed. Raw count and value
// stay empty for a cycle without a usable frame, so that nothing stands for
// a position that was not read; the text is always quoted (it may hold the
// decimal comma or a double quote, which is doubled).
void AppendRowTail(QByteArray& row, const TCycleSample& sample);

// The streams of cycles handed to other programs: one end of a socket pair
// each, one row (a packet) per cycle, the seconds counted from the stream's
// first row. A reader slower than the cycle loses rows rather than hold it
// up; a reader that closed its end ends its stream.
class TCycleStreams {
public:
    TCycleStreams() = default;
    TCycleStreams(const TCycleStreams&) = delete;
    TCycleStreams& operator=(const TCycleStreams&) = delete;
    ~TCycleStreams();

    // A new stream: the reader's end, which the caller hands over and
    // closes; -1 with errno set when the system gives none.
    int open();
    bool empty() const { return Streams.empty(); }
    // Sends the cycle's row to every stream; returns how many rows were
    // dropped because a reader's queue was full.
    uint64_t send(const TCycleSample& sample);

private:
    struct TStream {
        int Fd = -1;
        bool Started = false;
        int64_t FirstReplyTimeUs = 0;
    };
    std::vector<TStream> Streams;
    QByteArray Tail; // the sample's row after its seconds, kept for its capacity
    QByteArray Row;
};

} // namespace k740

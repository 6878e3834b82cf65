#include "acquisition/cycle_streams.h"

#include "platform/packet_socket.h"

#include <algorithm>
#include <unistd.h>

namespace k740 {

void AppendRowTail(QByteArray& row, const TCycleSample& sample)
{
    row += ',';
    row += QByteArray::number(sample.Number);
    row += ',';
    if (sample.Valid) {
        row += QByteArray::number(sample.RawCount);
        row += ',';
        row += QByteArray::number(sample.Value, 'g', 15);
    } else {
        row += ',';
    }
    row += ",\"";
    row += sample.Text.toUtf8().replace('"', "\"\"");
    row += "\",";
    row += sample.Valid ? '1' : '0';
    row += ',';
    row += sample.CrcOk ? '1' : '0';
    row += '\n';
}

TCycleStreams::~TCycleStreams()
{
    for (const TStream& stream : Streams)
        ::close(stream.Fd);
}

int TCycleStreams::open()
{
    int writer = -1;
    int reader = -1;
    if (!OpenPacketPair(writer, reader))
        return -1;
    Streams.push_back({writer, false, 0});
    return reader;
}

uint64_t TCycleStreams::send(const TCycleSample& sample)
{
    Tail.resize(0);
    AppendRowTail(Tail, sample);
    uint64_t dropped = 0;
    for (TStream& stream : Streams) {
        if (!stream.Started) {
            stream.Started = true;
            stream.FirstReplyTimeUs = sample.ReplyTimeUs;
        }
        Row.resize(0);
        Row += QByteArray::number(double(sample.ReplyTimeUs - stream.FirstReplyTimeUs) / 1e6, 'f', 6);
        Row += Tail;
        switch (SendPacket(stream.Fd, Row.constData(), size_t(Row.size()))) {
        case TPacketSent::Sent:
            break;
        case TPacketSent::Full:
            ++dropped;
            break;
        case TPacketSent::Closed:
            ::close(stream.Fd);
            stream.Fd = -1;
            break;
        }
    }
    Streams.erase(
        std::remove_if(Streams.begin(), Streams.end(), [](const TStream& s) { return s.Fd < 0; }), Streams.end());
    return dropped;
}

} // namespace k740

// The streams of cycles: rows as packets, a slow reader's gap, a closed end.
#include "acquisition/cycle_streams.h"

#include <QList>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace k740;

namespace {

// Every packet waiting on `fd`, one row each.
QList<QByteArray> Packets(int fd)
{
    QList<QByteArray> packets;
    char packet[4096];
    ssize_t n = 0;
    while ((n = ::recv(fd, packet, sizeof packet, MSG_DONTWAIT)) > 0)
        packets.append(QByteArray(packet, int(n)));
    return packets;
}

TCycleSample Sample(uint64_t number)
{
    return {number, int64_t(number) * 10'000, int64_t(number), 0.5, QString("x"), true, true};
}

} // namespace

TEST(CycleStreams, OneRowPerPacketSecondsFromTheStreamsFirstRow)
{
    TCycleStreams streams;
    EXPECT_TRUE(streams.empty());
    const int early = streams.open();
    ASSERT_GE(early, 0);
    EXPECT_EQ(streams.send({7, 1'000'000, -1448, -90.5, QString("-90,500°"), true, true}), 0u);
    const int late = streams.open();
    EXPECT_EQ(streams.send({8, 2'500'000, 99, 1.5, QString("43° 56' 43.1\""), true, false}), 0u);
    EXPECT_EQ(streams.send({9, 2'510'000, 5, 5, QString("- - - - - -"), false, true}), 0u);
    EXPECT_EQ(Packets(early),
        QList<QByteArray>({"0.000000,7,-1448,-90.5,\"-90,500\xC2\xB0\",1,1\n",
            "1.500000,8,99,1.5,\"43\xC2\xB0 56' 43.1\"\"\",1,0\n", "1.510000,9,,,\"- - - - - -\",0,1\n"}));
    EXPECT_EQ(Packets(late),
        QList<QByteArray>(
            {"0.000000,8,99,1.5,\"43\xC2\xB0 56' 43.1\"\"\",1,0\n", "0.010000,9,,,\"- - - - - -\",0,1\n"}));
    ::close(early);
    ::close(late);
}

TEST(CycleStreams, ASlowReaderLosesRowsAndAClosedOneEndsItsStream)
{
    TCycleStreams streams;
    const int slow = streams.open();
    const int reading = streams.open();
    uint64_t dropped = 0;
    for (uint64_t number = 1; number <= 5000; ++number) {
        dropped += streams.send(Sample(number));
        Packets(reading);
    }
    // The queue took the first rows; the rest were dropped, never waited for.
    const QList<QByteArray> kept = Packets(slow);
    ASSERT_GT(dropped, 0u);
    EXPECT_EQ(kept.size() + dropped, 5000u);
    EXPECT_EQ(kept.last().split(',').value(1), QByteArray::number(kept.size()));

    ::close(slow);
    EXPECT_EQ(streams.send(Sample(5001)), 0u);
    EXPECT_EQ(Packets(reading).size(), 1);
    ::close(reading);
    EXPECT_FALSE(streams.empty());
    streams.send(Sample(5002));
    EXPECT_TRUE(streams.empty());
}

// Link quality figures: the round-trip histogram, the polling rate, what
// outlives a connection, and the hint.
#include "acquisition/link_statistics.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace k740;
using namespace std::chrono_literals;

TEST(RoundTripHistogram, QuantilesWithinABinOfTheTruth)
{
    TRoundTripHistogram histogram;
    EXPECT_EQ(histogram.quantile(0.5), 0u);
    for (uint64_t us : {5, 5, 5, 7})
        histogram.add(us);
    EXPECT_EQ(histogram.quantile(0.5), 5u); // exact below 64 µs
    EXPECT_EQ(histogram.quantile(0.99), 7u);
    histogram.clear();
    for (uint64_t us = 1; us <= 10000; ++us)
        histogram.add(us);
    EXPECT_NEAR(histogram.quantile(0.5), 5000, 5000 / 32);
    EXPECT_NEAR(histogram.quantile(0.99), 9900, 9900 / 32);
    histogram.add(3600ull * 1000 * 1000); // beyond the last bin: about 2 s
    EXPECT_NEAR(histogram.quantile(1), 2.06e6, 0.04e6);
}

TEST(LinkStatistics, PollingRateOfTheLastSecond)
{
    const TLinkStatistics::TClock::time_point t0{};
    TLinkStatistics stats;
    stats.reset(t0);
    EXPECT_EQ(stats.figures(t0).PollingRate, 0);
    stats.countCycle(t0);
    EXPECT_EQ(stats.figures(t0).PollingRate, 0); // one cycle gives no rate
    // 150 cycles 10 ms apart, more than the ring keeps.
    for (int i = 1; i < 150; ++i)
        stats.countCycle(t0 + i * 10ms);
    EXPECT_NEAR(stats.figures(t0 + 1500ms).PollingRate, 100, 0.01);
    EXPECT_NEAR(stats.figures(t0 + 1500ms).Seconds, 1.5, 1e-9);
    EXPECT_EQ(stats.figures(t0 + 2500ms).PollingRate, 0); // a second after the last
}

TEST(LinkStatistics, HintIsOneShortLine)
{
    TLinkFigures f;
    f.PollingRate = 97.06;
    f.Frames = 120345;
    f.CrcFailures = 3;
    EXPECT_EQ(LinkFiguresHint(f), "97.1 polls/s \u00B7 120 345 frames \u00B7 3 CRC failed \u00B7 0 time-outs");
    f.Frames = 1;
    f.Timeouts = 1000000;
    f.IncompleteReplies = 2;
    EXPECT_EQ(LinkFiguresHint(f), "97.1 polls/s \u00B7 1 frame \u00B7 3 CRC failed \u00B7 1 000 002 time-outs");
}

TEST(LinkStatistics, FiguresOutliveConnectionsAndAResetKeepsTheConnectionsStart)
{
    const TLinkStatistics::TClock::time_point t0{};
    TLinkStatistics stats;
    stats.reset(t0);
    stats.connected(t0 + 1s);
    EXPECT_NEAR(stats.figures(t0 + 1500ms).ConnectedSeconds, 0.5, 1e-9);
    stats.countLinkLoss();
    TLinkFigures f = stats.figures(t0 + 2s);
    EXPECT_EQ(std::tuple(f.Seconds, f.ConnectedSeconds, f.LinkLosses), std::tuple(2.0, 0.0, uint64_t(1)));
    stats.connected(t0 + 3s);
    stats.reset(t0 + 4s);
    stats.countDroppedRows(3);
    f = stats.figures(t0 + 5s);
    EXPECT_EQ(std::tuple(f.Seconds, f.ConnectedSeconds, f.LinkLosses, f.DroppedRows),
        std::tuple(1.0, 2.0, uint64_t(0), uint64_t(3)));
}

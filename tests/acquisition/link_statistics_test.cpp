// Link quality figures: the round-trip histogram, the polling rate and the hint.
#include "acquisition/link_statistics.h"

#include <QLocale>
#include <gtest/gtest.h>

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
    EXPECT_EQ(histogram.count(), 10000u);
    EXPECT_NEAR(histogram.quantile(0.5), 5000, 5000 / 32);
    EXPECT_NEAR(histogram.quantile(0.99), 9900, 9900 / 32);
    // Beyond the last bin: counted there, about 2 s.
    histogram.clear();
    histogram.add(3600ull * 1000 * 1000);
    EXPECT_NEAR(histogram.quantile(1), 2.06e6, 0.04e6);
}

TEST(LinkStatistics, CountsRateAndReset)
{
    using Clock = TLinkStatistics::Clock;
    const Clock::time_point t0 = Clock::now();
    TLinkStatistics stats;
    stats.reset(t0);
    EXPECT_EQ(stats.figures(t0).PollingRate, 0);
    // 150 cycles 10 ms apart (more than the ring keeps): 100 per second.
    for (int i = 0; i < 150; ++i)
        stats.countCycle(t0 + i * 10ms);
    stats.countExchange(TTransactResult::Ok, false, 250us);
    stats.countExchange(TTransactResult::Timeout, true, 100ms);
    stats.countExchange(TTransactResult::Timeout, false, 100ms);
    stats.countExchange(TTransactResult::NoPort, true, 0us);
    stats.countFrame(true, true);
    stats.countFrame(false, true);
    stats.countFrame(true, false);
    stats.countLinkLoss();

    TLinkFigures f = stats.figures(t0 + 1500ms);
    EXPECT_EQ(f.Cycles, 150u);
    EXPECT_NEAR(f.PollingRate, 100, 0.01);
    EXPECT_NEAR(f.Seconds, 1.5, 1e-9);
    EXPECT_EQ(f.Exchanges, 4u);
    EXPECT_EQ(f.Timeouts, 1u);
    EXPECT_EQ(f.IncompleteReplies, 1u);
    EXPECT_EQ(f.Frames, 3u);
    EXPECT_EQ(f.InvalidFrames, 1u);
    EXPECT_EQ(f.CrcFailures, 1u);
    EXPECT_EQ(f.LinkLosses, 1u);
    EXPECT_NEAR(f.RoundTripMedianUs, 250, 250 / 32); // time-outs do not count as round trips
    EXPECT_EQ(f.RoundTripMedianUs, f.RoundTripP99Us);
    // A second after the last cycle the rate is 0.
    EXPECT_EQ(stats.figures(t0 + 2500ms).PollingRate, 0);

    stats.reset(t0 + 3s);
    f = stats.figures(t0 + 3s);
    EXPECT_EQ(f.Cycles + f.Exchanges + f.Frames + f.Timeouts + f.LinkLosses + f.RoundTripMedianUs, 0u);
    stats.countCycle(t0 + 3s);
    EXPECT_EQ(stats.figures(t0 + 3s).PollingRate, 0); // one cycle gives no rate
}

TEST(LinkStatistics, HintIsOneShortLine)
{
    QLocale::setDefault(QLocale::c());
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

// The trend's ring of cycles, its speeds, its thinning into pixel columns
// and its export.
#include "acquisition/interface_session.h"
#include "acquisition/trend_columns.h"
#include "acquisition/trend_export.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace k740;

namespace {

constexpr int64_t kStartUs = 1'000'000'000;

TPositionFormat Millimetres()
{
    TPositionFormat format;
    format.DisplayScale = 0.001;
    return format;
}

TPositionFormat RotaryDegrees()
{
    TPositionFormat format;
    format.Rotary = true;
    format.CPR = 3600;
    format.Degrees = TRotaryUnit::Degrees;
    format.DisplayScale = 0.1;
    return format;
}

TCycleResult Cycle(uint64_t number, int64_t timeUs, double value)
{
    TCycleResult cycle;
    cycle.Sample.Number = number;
    cycle.Sample.ReplyTimeUs = timeUs;
    cycle.Sample.RawCount = std::llround(value * 1000);
    cycle.Sample.Value = value;
    cycle.Sample.Text = QString::number(value, 'f', 3);
    cycle.Sample.Valid = true;
    return cycle;
}

// `count` cycles 10 ms apart, moving 2 mm a second.
void Fill(TTrendBuffer& buffer, int count, const TPositionFormat& format = Millimetres())
{
    for (int i = 0; i < count; ++i)
        buffer.append(Cycle(uint64_t(i + 1), kStartUs + i * 10'000, i * 0.02), format);
}

} // namespace

TEST(TrendBuffer, KeepsTheNewestCyclesInFixedStorageAndStartsAfreshInAnotherUnit)
{
    TTrendBuffer buffer;
    Fill(buffer, int(TTrendBuffer::kCapacity) + 5);
    ASSERT_EQ(buffer.size(), TTrendBuffer::kCapacity);
    EXPECT_EQ(buffer.at(0).Number, 6u);
    EXPECT_EQ(buffer.at(buffer.size() - 1).Number, TTrendBuffer::kCapacity + 5);
    EXPECT_EQ(buffer.firstAtOrAfter(kStartUs + 100 * 10'000 - 1), 95u);
    EXPECT_EQ(buffer.firstAtOrAfter(kStartUs), 0u);
    EXPECT_EQ(buffer.firstAtOrAfter(kStartUs * 2), buffer.size());

    TPositionFormat inches = Millimetres();
    inches.DisplayScale = 0.001 / 25.4;
    TCycleResult longText = Cycle(1, kStartUs * 2, 1);
    longText.Sample.Text = QString(40, 'x') + "°°°"; // 46 bytes in UTF-8
    buffer.append(longText, inches);
    EXPECT_EQ(buffer.size(), 1u);
    EXPECT_EQ(buffer.at(0).sample().Text, QString(40, 'x') + "°"); // cut before a character that does not fit
}

TEST(TrendBuffer, MarksEachKindOfFault)
{
    struct Case {
        bool linkLost, valid, crcOk;
        uint64_t timeouts;
        uint8_t faults;
    };
    for (const Case& c : {Case{false, true, true, 0, 0}, Case{false, false, true, 0, kTrendInvalidFrame},
             Case{false, true, false, 0, kTrendCrcFailure}, Case{false, true, true, 2, kTrendTimeout},
             Case{true, false, true, 1, kTrendLinkLoss | kTrendTimeout}}) {
        TCycleResult cycle = Cycle(1, kStartUs, 0);
        cycle.LinkLost = c.linkLost;
        cycle.Sample.Valid = c.valid;
        cycle.Sample.CrcOk = c.crcOk;
        cycle.Timeouts = c.timeouts;
        TTrendBuffer buffer;
        buffer.append(cycle, Millimetres());
        EXPECT_EQ(buffer.at(0).Faults, c.faults) << c.linkLost << c.valid << c.crcOk << c.timeouts;
    }
}

TEST(TrendSpeed, PerSecondOrRevolutionsPerMinuteTheShortWayRound)
{
    struct Case {
        TPositionFormat format;
        double from, to, seconds, speed;
    };
    TPositionFormat rotaryCounts = RotaryDegrees();
    rotaryCounts.Degrees = TRotaryUnit::Counts;
    rotaryCounts.DisplayScale = 1;
    for (const Case& c : {Case{Millimetres(), 1.0, 1.02, 0.01, 2.0}, Case{Millimetres(), 5, -5, 0.5, -20},
             Case{RotaryDegrees(), 359.0, 1.0, 0.01, 200.0 / 6}, Case{RotaryDegrees(), 1.0, 359.0, 0.01, -200.0 / 6},
             Case{rotaryCounts, 3590, 10, 0.01, 2000}}) {
        TTrendBuffer buffer;
        buffer.append(Cycle(1, kStartUs, c.from), c.format);
        buffer.append(Cycle(2, kStartUs + std::llround(c.seconds * 1e6), c.to), c.format);
        EXPECT_NEAR(SpeedAt(buffer, 1, TrendScaleOf(c.format)).value_or(NAN), c.speed, 1e-9) << c.from << c.to;
    }
}

// Positions taken every 10 ms, replies seen 3 ms early or late by turns, a
// wheel turning 1.5 revolutions a second, ten invalid frames: the speed is
// the mean over the window or the gap, steady within the jitter's share of
// it, however it wraps.
TEST(TrendSpeed, EvensOutTheRepliesJitterAndFollowsTheWrap)
{
    TTrendBuffer buffer;
    for (int i = 0; i < 60; ++i) {
        TCycleResult cycle
            = Cycle(uint64_t(i + 1), kStartUs + i * 10'000 + (i % 2 ? 3'000 : -3'000), std::fmod(i * 5.4, 360.0));
        cycle.Sample.Valid = i < 30 || i >= 40;
        buffer.append(cycle, RotaryDegrees());
    }
    for (size_t i = 11; i < buffer.size(); ++i) {
        if (buffer.at(i).usable()) {
            EXPECT_NEAR(SpeedAt(buffer, i, TrendScaleOf(RotaryDegrees())).value_or(NAN), 90.0, 90.0 * 0.065) << i;
        }
    }
}

TEST(ThinTrend, EveryCycleLandsInItsColumnWithItsFaultsAndLinkLosses)
{
    TTrendBuffer buffer;
    Fill(buffer, 100); // 0 to 0.99 s
    // The 56th cycle unusable, a link loss at the 81st until the next cycle 0.5 s later.
    TCycleResult invalid = Cycle(101, kStartUs + 1'000'000, 0);
    invalid.Sample.Valid = false;
    buffer.append(invalid, Millimetres());
    TCycleResult lost = Cycle(102, kStartUs + 1'010'000, 0);
    lost.LinkLost = true;
    lost.Sample.Valid = false;
    buffer.append(lost, Millimetres());
    buffer.append(Cycle(103, kStartUs + 1'510'000, 3.0), Millimetres());
    buffer.append(Cycle(104, kStartUs + 1'520'000, 3.02), Millimetres());

    TTrendPicture picture;
    ThinTrend(buffer, kStartUs + 100'000, kStartUs + 1'600'000, kStartUs + 2'000'000, 15, picture);
    ASSERT_EQ(picture.Columns.size(), 15u);
    // 100 ms a column: ten cycles each in the first nine.
    for (size_t c = 0; c < 9; ++c) {
        const TTrendColumn& column = picture.Columns[c];
        EXPECT_NEAR(column.Position.Min, 0.2 + 0.2 * double(c), 1e-9) << c;
        EXPECT_NEAR(column.Position.Max, 0.38 + 0.2 * double(c), 1e-9) << c;
        EXPECT_NEAR(column.Speed.Min, 2.0, 1e-9) << c;
        EXPECT_NEAR(column.Speed.Max, 2.0, 1e-9) << c;
        EXPECT_EQ(column.Faults, 0) << c;
    }
    EXPECT_EQ(picture.Columns[9].Faults, kTrendInvalidFrame | kTrendLinkLoss);
    ASSERT_EQ(picture.LinkLosses.size(), 1u);
    EXPECT_EQ(picture.LinkLosses[0].FromUs, kStartUs + 1'010'000);
    EXPECT_EQ(picture.LinkLosses[0].ToUs, kStartUs + 1'510'000);
    // No speed across the loss: only from the cycle after the first one back.
    EXPECT_EQ(picture.Columns[14].Position.Min, 3.0);
    EXPECT_NEAR(picture.Columns[14].Speed.Min, 2.0, 1e-9);
    EXPECT_NEAR(picture.Columns[14].Speed.Max, 2.0, 1e-9);
    EXPECT_FALSE(SpeedAt(buffer, 102, TrendScaleOf(Millimetres())).has_value());

    // A loss that lasts until now reaches the end of the span.
    lost.Sample.ReplyTimeUs = kStartUs + 1'600'000;
    buffer.append(lost, Millimetres());
    ThinTrend(buffer, kStartUs, kStartUs + 3'000'000, kStartUs + 2'500'000, 30, picture);
    EXPECT_EQ(picture.LinkLosses.back().ToUs, kStartUs + 2'500'000);
}

TEST(TrendCsv, TheShownCyclesWithTheRecordingsColumns)
{
    TTrendBuffer buffer;
    Fill(buffer, 10);
    const QByteArray csv = TrendCsv(buffer, kStartUs + 20'000, kStartUs + 40'000);
    EXPECT_EQ(csv,
        "seconds,cycle,raw,value,text,valid,crc\n"
        "0.000000,3,40,0.04,\"0.040\",1,1\n"
        "0.010000,4,60,0.06,\"0.060\",1,1\n"
        "0.020000,5,80,0.08,\"0.080\",1,1\n");
}

// Reference marks of the counting interface: latching, the flag, and the
// distance-coded layout read back through the host's offset formula.
#include "device/reference_scale.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

using namespace k740sim;

namespace {

struct CountReply {
    int32_t count = 0;
    int32_t latch = 0;
    int flag = 0;
};

CountReply Poll(TDeviceModel& device)
{
    const QList<QByteArray> fields = Ask(device, "?").chopped(1).split(':');
    EXPECT_EQ(fields.size(), 3);
    return {fields.value(0).toInt(), fields.value(1).toInt(), fields.value(2).toInt()};
}

TDeviceConfig Counter()
{
    TDeviceConfig config;
    config.KindLetter = 'Q';
    config.Encoder = TEncoderKind::Counter;
    return config;
}

// Moves in steps small enough that no two marks fall between two polls and
// returns the count latched at the next mark (clearing the flag with "c").
int32_t NextMark(TDeviceModel& device, int64_t step)
{
    for (int i = 0; i < 1000000; ++i) {
        device.setPosition(device.truePosition() + step);
        const CountReply reply = Poll(device);
        if (reply.flag == 1) {
            Ask(device, "c");
            return reply.latch;
        }
    }
    ADD_FAILURE() << "no mark found";
    return 0;
}

} // namespace

TEST(PlainMarks, CrossingLatchesCountAndSetsFlagUntilCleared)
{
    TDeviceConfig config = Counter();
    config.RefEvery = 1000;
    config.Position = 100;
    config.CountOrigin = 50;
    TDeviceModel device(config);
    EXPECT_EQ(Ask(device, "?"), "50:0:0\r");
    device.setPosition(1200);
    EXPECT_EQ(Ask(device, "?"), "1150:950:1\r");
    device.setPosition(1300);
    EXPECT_EQ(Ask(device, "?"), "1250:950:1\r") << "flag stays until c";
    EXPECT_EQ(Ask(device, "c"), "");
    EXPECT_EQ(Ask(device, "?"), "1250:950:0\r");
    device.setPosition(-10); // back over 1000 and 0: the last one passed latches
    EXPECT_EQ(Ask(device, "?"), "-60:-50:1\r");
}

TEST(PlainMarks, MarkAtTheEndPointCountsButNotAtTheStart)
{
    const TReferenceScale scale = TReferenceScale::plain(500);
    EXPECT_FALSE(scale.lastMarkCrossed(1000, 1400));
    EXPECT_EQ(scale.lastMarkCrossed(999, 1000), 1000);
    EXPECT_EQ(scale.lastMarkCrossed(-1001, -1), -500);
    EXPECT_FALSE(TReferenceScale::none().lastMarkCrossed(-5000, 5000));
}

TEST(PlainMarks, MovingWithTimeLatchesOnTheNextPoll)
{
    ManualClock clock;
    TDeviceConfig config = Counter();
    config.RefEvery = 360;
    config.Speed = 1000;
    TDeviceModel device(config, clock.function());
    clock.advanceMs(300);
    EXPECT_EQ(Ask(device, "?"), "300:0:0\r");
    clock.advanceMs(100);
    EXPECT_EQ(Ask(device, "?"), "400:360:1\r");
}

TEST(PlainMarks, ZeroMovesTheCountButNotTheScale)
{
    TDeviceConfig config = Counter();
    config.RefEvery = 1000;
    config.Position = 1500;
    TDeviceModel device(config);
    EXPECT_EQ(Ask(device, "z"), "");
    EXPECT_EQ(device.count(), 0);
    EXPECT_EQ(device.truePosition(), 1500);
    device.setPosition(2100);
    EXPECT_EQ(Ask(device, "?"), "600:500:1\r");
}

TEST(DistanceCodedMarks, LayoutGivesAlternatingDistances)
{
    const TReferenceScale scale = TReferenceScale::distanceCoded(1000, 20);
    const std::vector<int64_t>& marks = scale.codedMarks();
    ASSERT_GE(marks.size(), 5u);
    const int64_t periods[] = {0, 501, 1000, 1502, 2000};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(marks[i], periods[i] * 20) << i;
    EXPECT_EQ(marks.back(), 499 * 1000 * 20) << "last fixed mark";
}

TEST(DistanceCodedMarks, EveryNeighbourPairYieldsTheAbsolutePosition)
{
    for (const auto& [n, cpp] : {std::pair{1000, 20}, std::pair{20, 4}, std::pair{4, 1000}}) {
        const TReferenceScale scale = TReferenceScale::distanceCoded(n, cpp);
        const std::vector<int64_t>& marks = scale.codedMarks();
        const int64_t origin = 123457; // scale position where the count reads 0
        for (size_t i = 0; i + 1 < marks.size(); ++i) {
            const int64_t a = marks[i] - origin, b = marks[i + 1] - origin;
            EXPECT_EQ(-host::DistanceCodedOffset(a, b, n, cpp), origin) << n << " forward " << i;
            EXPECT_EQ(-host::DistanceCodedOffset(b, a, n, cpp), origin) << n << " backward " << i;
            EXPECT_LT(std::llabs(b - a) / cpp, n) << "distance below the nominal increment";
        }
    }
}

TEST(DistanceCodedMarks, HomingEitherWayThroughTheDeviceShowsTheTruePosition)
{
    TDeviceConfig config = Counter();
    config.DcrNominal = 1000;
    config.DcrCountsPerPeriod = 20;
    config.CountOrigin = 15000;
    config.Position = 19000;
    TDeviceModel device(config);
    const int32_t first = NextMark(device, 7);
    const int32_t second = NextMark(device, 7);
    EXPECT_EQ(first, 5000);
    EXPECT_EQ(second, 15040);
    EXPECT_EQ(host::DistanceCodedOffset(first, second, 1000, 20), -15000);

    const int32_t back = NextMark(device, -9); // the mark just passed, then the one before
    EXPECT_EQ(back, 15040);
    EXPECT_EQ(NextMark(device, -9), 5000);
    EXPECT_EQ(host::DistanceCodedOffset(back, 5000, 1000, 20), -15000);

    device.setPosition(8000000);
    const int64_t offset = host::DistanceCodedOffset(NextMark(device, -9), NextMark(device, -9), 1000, 20);
    EXPECT_EQ(device.count() - offset, device.truePosition());
}

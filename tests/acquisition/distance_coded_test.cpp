#include "acquisition/distance_coded.h"

#include <climits>
#include <gtest/gtest.h>

using namespace k740;

TEST(DistanceCodedOffset, WorkedExamples)
{
    TDistanceCoded r = DistanceCodedOffset(5000, 15040, 20, 1000);
    EXPECT_EQ(r.MRR, 502);
    EXPECT_EQ(r.RefOffset, -15000);
    r = DistanceCodedOffset(15040, 5000, 20, 1000); // travelling back
    EXPECT_EQ(r.MRR, 502);
    EXPECT_EQ(r.RefOffset, -15000);
    r = DistanceCodedOffset(5000, 14960, 20, 1000); // MRR 498: P2 = 2000
    EXPECT_EQ(r.MRR, 498);
    EXPECT_EQ(r.RefOffset, 14960 - 2000 * 20);
}

TEST(DistanceCodedOffset, DegenerateSettingsAndMarksAreRejectedNotUndefined)
{
    EXPECT_EQ(DistanceCodedOffset(5000, 15040, 0, 1000).MRR, INT64_MAX);
    EXPECT_EQ(DistanceCodedOffset(5000, 15040, -20, 1000).MRR, INT64_MAX);
    EXPECT_GE(DistanceCodedOffset(5000, 15040, 20, 0).MRR, 0);
    EXPECT_EQ(DistanceCodedOffset(INT64_MIN, INT64_MAX, 1, INT_MAX).MRR, INT64_MAX);
    DistanceCodedOffset(INT64_MAX, INT64_MIN, INT_MAX, INT_MIN);
}

TEST(IsAnotherMark, MoreThanHalfAPeriodAway)
{
    EXPECT_FALSE(IsAnotherMark(1000, 1010, 20));
    EXPECT_TRUE(IsAnotherMark(1000, 1011, 20));
    EXPECT_FALSE(IsAnotherMark(1000, 990, 20));
    EXPECT_TRUE(IsAnotherMark(1000, 989, 20));
    EXPECT_FALSE(IsAnotherMark(1000, 1010, 21)); // 21 / 2 = 10
    EXPECT_TRUE(IsAnotherMark(INT64_MIN, INT64_MAX, INT_MAX));
}

#include "acquisition/distance_coded.h"

#include <gtest/gtest.h>
#include <climits>

TEST(DistanceCodedOffset, WorkedExamplesInBothDirections)
{
    TDistanceCoded r = DistanceCodedOffset(5000, 15040, 20, 1000);
    EXPECT_EQ(r.MRR, 502);
    EXPECT_EQ(r.RefOffset, -15000);
    r = DistanceCodedOffset(15040, 5000, 20, 1000);
    EXPECT_EQ(r.MRR, 502);
    EXPECT_EQ(r.RefOffset, -15000);
    r = DistanceCodedOffset(5000, 5000 + 498 * 20, 20, 1000);   // B -4: P2 = 2000
    EXPECT_EQ(r.MRR, 498);
    EXPECT_EQ(r.RefOffset, 5000 + 498 * 20 - 2000 * 20);
}

TEST(DistanceCodedOffset, ZeroPeriodOrIncrementCannotDivideByZero)
{
    TDistanceCoded r = DistanceCodedOffset(5000, 15040, 0, 1000);
    EXPECT_EQ(r.MRR, INT64_MAX);                                // always rejected
    r = DistanceCodedOffset(5000, 15040, -20, 1000);
    EXPECT_EQ(r.MRR, INT64_MAX);
    r = DistanceCodedOffset(5000, 15040, 20, 0);
    EXPECT_GE(r.MRR, 0);                                        // MRR >= N: rejected
}

TEST(DistanceCodedOffset, ExtremeMarksStayDefined)
{
    TDistanceCoded r = DistanceCodedOffset(INT64_MIN, INT64_MAX, 1, INT_MAX);
    EXPECT_EQ(r.MRR, INT64_MAX);
    r = DistanceCodedOffset(INT64_MAX, INT64_MIN, INT_MAX, INT_MIN);
    EXPECT_GT(r.MRR, 0);
}

TEST(IsAnotherMark, HalfAPeriodApart)
{
    EXPECT_FALSE(IsAnotherMark(1000, 1010, 20));
    EXPECT_TRUE(IsAnotherMark(1000, 1011, 20));
    EXPECT_FALSE(IsAnotherMark(1000, 990, 20));
    EXPECT_TRUE(IsAnotherMark(1000, 989, 20));
    EXPECT_FALSE(IsAnotherMark(1000, 1010, 21));                // 21 / 2 = 10
    EXPECT_TRUE(IsAnotherMark(1000, 1001, 0));
    EXPECT_TRUE(IsAnotherMark(INT64_MIN, INT64_MAX, INT_MAX));
}

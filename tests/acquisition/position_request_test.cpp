#include "acquisition/position_request.h"

#include <gtest/gtest.h>
#include <limits>

using namespace k740;

struct FormCase {
    float value;
    int32_t form;
    int32_t expected;
};

TEST(PositionInForm, ThousandthsTenThousandthsAndFloatBits)
{
    const FormCase cases[] = {
        {90.5f, 10, 0x42B50000}, // the bits of 90.5
        {90.5f, 4, 905000},
        {90.5f, 0, 90500}, // any other form: thousandths
        {90.5f, 1000, 90500},
        {-90.5f, 7, -90500},
        {0.0625f, 1, 62},  // 62.5: ties go to the even neighbour
        {0.1875f, 1, 188}, // 187.5
        {-0.0625f, 1, -62},
        {0.03125f, 4, 312}, // 312.5
        {0.09375f, 4, 938}, // 937.5
        {0.1f, 4, 1000},    // 0.1f is 0.100000001..., the product is not a tie
        {1e9f, 1, std::numeric_limits<int32_t>::max()},
        {-1e9f, 4, std::numeric_limits<int32_t>::min()},
        {0.0f, 10, 0},
    };
    for (const FormCase& c : cases)
        EXPECT_EQ(PositionInForm(c.value, c.form), c.expected) << c.value << " form " << c.form;
}

TEST(PositionInForm, NotANumberGivesZeroExceptAsBits)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(PositionInForm(nan, 1), 0);
    EXPECT_NE(PositionInForm(nan, 10), 0);
}

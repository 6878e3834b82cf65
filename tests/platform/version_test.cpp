#include "platform/version.h"

#include <gtest/gtest.h>

TEST(ProgramVersion, IsTheFourNumberProjectVersion)
{
    EXPECT_EQ(ProgramVersion(), "1.0.0.0");
}

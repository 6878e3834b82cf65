#include "platform/version.h"

#include <gtest/gtest.h>

using namespace k740;

TEST(ProgramVersion, IsTheFourNumberProjectVersion)
{
    EXPECT_EQ(ProgramVersion(), "1.0.0.0");
}

#include "link/version.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace k740;

// The version the build file gives the project (K740_PROJECT_VERSION comes
// from it), in the four numbers of 16 bits each that a version shows.
TEST(ProgramVersion, IsTheBuildsProjectVersionInFourNumbers)
{
    const QString version = ProgramVersion();
    EXPECT_EQ(version, K740_PROJECT_VERSION);
    const QStringList numbers = version.split('.');
    ASSERT_EQ(numbers.size(), 4) << qPrintable(version);
    for (const QString& number : numbers) {
        bool ok = false;
        EXPECT_LE(number.toUInt(&ok), 65535u) << qPrintable(version);
        EXPECT_TRUE(ok) << qPrintable(version);
    }
}

#include "link/version.h"

#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

using namespace k740;

// The version the program shows is the one the package's changelog names
// (written by hand, apart from the build file), in the four numbers of 16
// bits each that a version shows.
TEST(ProgramVersion, IsTheChangelogsVersionInFourNumbers)
{
    QFile changelog(K740_TEST_SOURCE_DIR "/../packaging/changelog");
    ASSERT_TRUE(changelog.open(QIODevice::ReadOnly));
    const QString latest = QString::fromUtf8(changelog.readLine()); // "k740 (1.0.0.0) unstable; ..."
    const QString version = ProgramVersion();
    EXPECT_TRUE(latest.startsWith("k740 (" + version + ") ")) << qPrintable(version) << " / " << qPrintable(latest);
    const QStringList numbers = version.split('.');
    ASSERT_EQ(numbers.size(), 4) << qPrintable(version);
    for (const QString& number : numbers) {
        bool ok = false;
        EXPECT_LE(number.toUInt(&ok), 65535u) << qPrintable(version);
        EXPECT_TRUE(ok) << qPrintable(version);
    }
}

#include "settings/parse_real.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace k740;

namespace {
struct LocaleGuard {
    explicit LocaleGuard(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleGuard() { QLocale::setDefault(QLocale::c()); }
};

bool parses(const QString& text, float expected)
{
    float v = -12345.f;
    return ParseReal(text, v) && v == expected;
}
} // namespace

TEST(ParseReal, AcceptsDecimalNumbersWithSignFractionAndExponent)
{
    LocaleGuard c(QLocale::c());
    EXPECT_TRUE(parses("1000", 1000.f));
    EXPECT_TRUE(parses("  -1.5", -1.5f));
    EXPECT_TRUE(parses("+2.5e3", 2500.f));
    EXPECT_TRUE(parses("1.6", 1.6f));
    EXPECT_TRUE(parses(".5", 0.5f));
}

TEST(ParseReal, RejectsTextThatIsNotWhollyANumberAndKeepsTheValue)
{
    LocaleGuard c(QLocale::c());
    for (const char* bad : {"", " ", "abc", "1.5x", "1e", "--1", "1.5 ", "1e99"}) {
        float v = 7.f;
        EXPECT_FALSE(ParseReal(bad, v)) << bad;
        EXPECT_EQ(v, 7.f) << bad;
    }
}

TEST(ParseReal, CommaLocaleAcceptsCommaAndPoint)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_TRUE(parses("1,6", 1.6f));
    EXPECT_TRUE(parses("1.6", 1.6f));
    EXPECT_TRUE(parses("5,02", 5.02f));
}

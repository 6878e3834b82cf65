#include "settings/decimal_text.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace k740;

namespace {
struct LocaleGuard {
    explicit LocaleGuard(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleGuard() { QLocale::setDefault(QLocale::c()); }
};
} // namespace

TEST(FormatFixed, RoundsHalvesAwayFromZeroAndPadsDecimals)
{
    LocaleGuard c(QLocale::c());
    EXPECT_EQ(FormatFixed(0.125, 15, 2), "0.13");
    EXPECT_EQ(FormatFixed(-0.125, 15, 2), "-0.13");
    EXPECT_EQ(FormatFixed(2.5, 15, 0), "3");
    EXPECT_EQ(FormatFixed(0, 15, 3), "0.000");
    EXPECT_EQ(FormatFixed(12.345, 15, 3), "12.345");
    EXPECT_EQ(FormatFixed(1.5, 15, 4), "1.5000");
    EXPECT_EQ(FormatFixed(0.006, 15, 2), "0.01");
    EXPECT_EQ(FormatFixed(0.004, 15, 2), "0.00");
    EXPECT_EQ(FormatFixed(9.996, 15, 2), "10.00");
    EXPECT_EQ(FormatFixed(-123456.0, 15, 0), "-123456");
}

TEST(FormatFixed, NegativeValueRoundingToZeroHasNoSign)
{
    LocaleGuard c(QLocale::c());
    EXPECT_EQ(FormatFixed(-0.0001, 15, 3), "0.000");
}

TEST(FormatFixed, SignificantDigitsLimitTheRounding)
{
    LocaleGuard c(QLocale::c());
    // 8 significant digits: 1000.004 keeps 1000.0040 -> one decimal 1000.0
    EXPECT_EQ(FormatFixed(1000.004, 8, 1), "1000.0");
    EXPECT_EQ(FormatFixed(12345678.9, 8, 0), "12345679");
    EXPECT_EQ(FormatFixed(123456789.0, 8, 0), "1.2345679E+08");
    EXPECT_EQ(FormatFixed(0.244140625, 8, 4), "0.2441");
}

// More digits before the separator than `precision`, also after rounding:
// the shortest mantissa, a signed exponent of at least two digits.
TEST(FormatFixed, HugeValuesUseExponentNotation)
{
    LocaleGuard c(QLocale::c());
    EXPECT_EQ(FormatFixed(1.5e20, 15, 3), "1.5E+20");
    EXPECT_EQ(FormatFixed(-1.5e20, 15, 3), "-1.5E+20");
    EXPECT_EQ(FormatFixed(99999999.6, 8, 0), "1E+08");
    EXPECT_EQ(FormatFixed(2e100, 15, 0), "2E+100");
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatFixed(1.5e20, 15, 3), "1,5E+20");
}

TEST(FormatFixed, UsesTheUsersDecimalSeparator)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(DecimalSeparator(), QChar(','));
    EXPECT_EQ(FormatFixed(1.6, 15, 1), "1,6");
    EXPECT_EQ(FormatFixed(12345.5, 15, 1), "12345,5");
}

TEST(FormatMicrons, DropsTrailingZeros)
{
    LocaleGuard c(QLocale::c());
    EXPECT_EQ(FormatMicrons(0.244140625), "0.2441");
    EXPECT_EQ(FormatMicrons(1.0), "1");
    EXPECT_EQ(FormatMicrons(15.625), "15.625");
    EXPECT_EQ(FormatMicrons(100.0), "100");
    EXPECT_EQ(FormatMicrons(0.00004), "0");
    {
        LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_EQ(FormatMicrons(0.244140625), "0,2441");
    }
}

#include "settings/ini_values.h"

#include <QLocale>
#include <gtest/gtest.h>

TEST(IniInteger, DecimalWithSign)
{
    EXPECT_EQ(ParseIniInteger("0", 32), 0);
    EXPECT_EQ(ParseIniInteger("24", 32), 24);
    EXPECT_EQ(ParseIniInteger("+7", 32), 7);
    EXPECT_EQ(ParseIniInteger("-4096", 32), -4096);
    EXPECT_EQ(ParseIniInteger("007", 32), 7);
}

TEST(IniInteger, HexAfterZeroX)
{
    EXPECT_EQ(ParseIniInteger("0x1F", 32), 31);
    EXPECT_EQ(ParseIniInteger("0Xff", 32), 255);
    EXPECT_EQ(ParseIniInteger("0x7FFFFFFF", 32), INT32_MAX);
    EXPECT_EQ(ParseIniInteger("0xFFFFFFFF", 32), -1);
    EXPECT_EQ(ParseIniInteger("0x80000000", 32), INT32_MIN);
    EXPECT_EQ(ParseIniInteger("0x0000000010", 32), 16);
    EXPECT_EQ(ParseIniInteger("0xFFFFFFFF", 64), 0xFFFFFFFFLL);
    EXPECT_EQ(ParseIniInteger("0x8000000000000000", 64), INT64_MIN);
}

TEST(IniInteger, LimitsOfTheWidth)
{
    EXPECT_EQ(ParseIniInteger("2147483647", 32), INT32_MAX);
    EXPECT_EQ(ParseIniInteger("-2147483648", 32), INT32_MIN);
    EXPECT_EQ(ParseIniInteger("2147483648", 32), std::nullopt);
    EXPECT_EQ(ParseIniInteger("-2147483649", 32), std::nullopt);
    EXPECT_EQ(ParseIniInteger("9223372036854775807", 64), INT64_MAX);
    EXPECT_EQ(ParseIniInteger("-9223372036854775808", 64), INT64_MIN);
    EXPECT_EQ(ParseIniInteger("9223372036854775808", 64), std::nullopt);
    EXPECT_EQ(ParseIniInteger("99999999999999999999999999", 64), std::nullopt);
    EXPECT_EQ(ParseIniInteger("0x100000000", 32), std::nullopt);
    EXPECT_EQ(ParseIniInteger("0x10000000000000000", 64), std::nullopt);
}

TEST(IniInteger, AnythingElseIsNoNumber)
{
    for (const char* text : {"", "-", "+", "0x", "0xG", "-0x10", "1.5", "12a", " 1", "1 ", "--1", "1e3", "$10", "٣"})
        EXPECT_EQ(ParseIniInteger(QString::fromUtf8(text), 64), std::nullopt) << text;
}

TEST(IniAbsoluteValue, StaysDefinedAtTheMostNegativeValue)
{
    EXPECT_EQ(AbsoluteValue<int32_t>(-24), 24);
    EXPECT_EQ(AbsoluteValue<int32_t>(24), 24);
    EXPECT_EQ(AbsoluteValue<int32_t>(INT32_MIN), INT32_MAX);
    EXPECT_EQ(AbsoluteValue<int64_t>(INT64_MIN), INT64_MAX);
    EXPECT_EQ(AbsoluteValue<int64_t>(-4096), 4096);
}

TEST(IniCpmText, NoDecimalsNearAnIntegerElseOne)
{
    EXPECT_EQ(CpmText(1.6f), "1.6");
    EXPECT_EQ(CpmText(1000), "1000");
    EXPECT_EQ(CpmText(1000.004f), "1000");
    EXPECT_EQ(CpmText(999.996f), "1000");
    EXPECT_EQ(CpmText(0.25f), "0.3");
    EXPECT_EQ(CpmText(-2.5f), "-2.5");
    EXPECT_EQ(CpmText(12345.67f), "12345.7");
}

TEST(IniCpmText, EightSignificantDigits)
{
    EXPECT_EQ(CpmText(123456792.0f), "1.2345679E+08");
    EXPECT_EQ(CpmText(1234567.4f), "1234567.4");
    EXPECT_EQ(CpmText(12345678.0f), "12345678");
}

TEST(IniCpmText, UsersDecimalSeparator)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(CpmText(1.6f), "1,6");
    EXPECT_EQ(CpmText(1000), "1000");
    QLocale::setDefault(QLocale::c());
}

#include "settings/ini_values.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace k740;

TEST(IniInteger, DecimalAndHexWithinTheirWidth)
{
    const std::tuple<const char*, int, int64_t> numbers[] = {
        {"24", 32, 24},
        {"+7", 32, 7},
        {"-4096", 32, -4096},
        {"007", 32, 7},
        {"0x1F", 32, 31},
        {"0Xff", 32, 255},
        {"0xFFFFFFFF", 32, -1},
        {"0x80000000", 32, INT32_MIN},
        {"0x0000000010", 32, 16},
        {"0xFFFFFFFF", 64, 0xFFFFFFFFLL},
        {"0x8000000000000000", 64, INT64_MIN},
        {"2147483647", 32, INT32_MAX},
        {"-2147483648", 32, INT32_MIN},
        {"9223372036854775807", 64, INT64_MAX},
        {"-9223372036854775808", 64, INT64_MIN},
    };
    for (const auto& [text, bits, value] : numbers)
        EXPECT_EQ(ParseIniInteger(text, bits), value) << text;
}

TEST(IniInteger, AnythingElseIsNoNumber)
{
    const std::pair<const char*, int> texts[] = {
        {"2147483648", 32},
        {"-2147483649", 32},
        {"0x100000000", 32},
        {"9223372036854775808", 64},
        {"99999999999999999999999", 64},
        {"0x10000000000000000", 64},
        {"", 64},
        {"-", 64},
        {"0x", 64},
        {"0xG", 64},
        {"-0x10", 64},
        {"1.5", 64},
        {"12a", 64},
        {" 1", 64},
        {"--1", 64},
        {"1e3", 64},
        {"\u0663", 64},
    };
    for (const auto& [text, bits] : texts)
        EXPECT_EQ(ParseIniInteger(QString::fromUtf8(text), bits), std::nullopt) << text;
}

TEST(IniAbsoluteValue, StaysDefinedAtTheMostNegativeValue)
{
    EXPECT_EQ(AbsoluteValue<int32_t>(-24), 24);
    EXPECT_EQ(AbsoluteValue<int32_t>(24), 24);
    EXPECT_EQ(AbsoluteValue<int32_t>(INT32_MIN), INT32_MAX);
    EXPECT_EQ(AbsoluteValue<int64_t>(INT64_MIN), INT64_MAX);
}

TEST(IniCpmText, WholeNearAnIntegerElseOneDecimalOfEightDigits)
{
    const std::pair<float, const char*> cases[] = {
        {1.6f, "1.6"},
        {1000, "1000"},
        {1000.004f, "1000"},
        {999.996f, "1000"},
        {0.25f, "0.3"},
        {-2.5f, "-2.5"},
        {1234567.4f, "1234567.4"},
        {12345678, "12345678"},
        {123456792, "1.2345679E+08"},
    };
    for (const auto& [cpm, text] : cases)
        EXPECT_EQ(CpmText(cpm, '.'), text) << text;
    // The separator asked for, whatever the user's.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString texts = CpmText(1.6f, '.') + ' ' + CpmText(1.6f, ',') + ' ' + CpmText(123456792, '.');
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(texts, "1.6 1,6 1.2345679E+08");
}

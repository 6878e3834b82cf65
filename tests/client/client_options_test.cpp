#include "client_options.h"

#include <gtest/gtest.h>

using namespace k740client;

TEST(ClientOptions, QueriesFormsAndRepetition)
{
    QString error;
    const auto defaults = ParseClientArguments({}, error);
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->Query, TQuery::Position);
    EXPECT_EQ(defaults->Form, 1000);
    EXPECT_EQ(defaults->WatchMs, 0);
    EXPECT_EQ(defaults->Pid, 0);

    const auto options = ParseClientArguments({"--form", "10", "--watch", "250", "--pid", "4242"}, error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->Form, 10);
    EXPECT_EQ(options->WatchMs, 250);
    EXPECT_EQ(options->Pid, 4242);
    EXPECT_EQ(ParseClientArguments({"--text"}, error).value().Query, TQuery::Text);
    EXPECT_EQ(ParseClientArguments({"--window-id"}, error).value().Query, TQuery::WindowId);
    EXPECT_EQ(ParseClientArguments({"--list"}, error).value().Query, TQuery::List);
    EXPECT_TRUE(ParseClientArguments({"--help"}, error).value().Help);
}

TEST(ClientOptions, NonsenseIsRefusedWithAReason)
{
    for (const QStringList& arguments : {QStringList{"--form"}, QStringList{"--form", "x"}, QStringList{"--watch", "0"},
             QStringList{"--pid", "-3"}, QStringList{"--text", "--list"}, QStringList{"--bogus"}}) {
        QString error;
        EXPECT_FALSE(ParseClientArguments(arguments, error)) << arguments.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(ClientOptions, FloatBitsArePrintedWithTheValueTheyHold)
{
    EXPECT_EQ(PositionAnswerText(0x42B50000, 10), "0x42b50000 90.5");
    EXPECT_EQ(PositionAnswerText(int32_t(0xBF800000), 10), "0xbf800000 -1");
    EXPECT_EQ(PositionAnswerText(0x3DCCCCCD, 10), "0x3dcccccd 0.1");
    EXPECT_EQ(PositionAnswerText(-90500, 1000), "-90500");
}

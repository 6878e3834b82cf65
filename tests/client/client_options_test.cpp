#include "client_options.h"
#include "record_rows.h"

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
    EXPECT_EQ(ParseClientArguments({"--value"}, error).value().Query, TQuery::Value);
    EXPECT_EQ(ParseClientArguments({"--text"}, error).value().Query, TQuery::Text);
    EXPECT_EQ(ParseClientArguments({"--window-id"}, error).value().Query, TQuery::WindowId);
    EXPECT_EQ(ParseClientArguments({"--list"}, error).value().Query, TQuery::List);
    EXPECT_TRUE(ParseClientArguments({"--help"}, error).value().Help);
}

TEST(ClientOptions, NonsenseIsRefusedWithAReason)
{
    for (const QStringList& arguments :
        {QStringList{"--form"}, QStringList{"--form", "x"}, QStringList{"--watch", "0"}, QStringList{"--pid", "-3"},
            QStringList{"--text", "--list"}, QStringList{"--value", "--text"}, QStringList{"--bogus"}}) {
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
    EXPECT_EQ(ValueAnswerText(4.711), "4.711");
    EXPECT_EQ(ValueAnswerText(-0.1), "-0.1");
}

TEST(ClientOptions, StatsAndRecording)
{
    QString error;
    const auto stats = ParseClientArguments({"--stats", "--watch", "500"}, error);
    ASSERT_TRUE(stats);
    EXPECT_EQ(stats->Query, TQuery::Stats);
    EXPECT_EQ(stats->WatchMs, 500);
    const auto record = ParseClientArguments({"--record", "-", "--frames", "20"}, error);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Query, TQuery::Record);
    EXPECT_EQ(record->RecordPath, "-");
    EXPECT_EQ(record->Frames, 20);
    for (const QStringList& arguments : {QStringList{"--record"}, QStringList{"--record", ""},
             QStringList{"--frames", "5"}, QStringList{"--record", "a.csv", "--frames", "0"},
             QStringList{"--record", "a.csv", "--watch", "10"}, QStringList{"--stats", "--text"}}) {
        EXPECT_FALSE(ParseClientArguments(arguments, error)) << arguments.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(RecordRows, HeaderCycleNumbersAndGaps)
{
    EXPECT_EQ(RecordHeader(), "seconds,cycle,raw,value,text,valid,crc\n");
    EXPECT_EQ(RowCycle("0.010000,9,,,\"- - - - - -\",0,1\n"), 9u);
    for (const QByteArray row : {"", "0.5", "0.5,", "0.5,x,1"})
        EXPECT_EQ(RowCycle(row), std::nullopt) << row.constData();

    TCycleGaps gaps;
    for (quint64 number : {5, 6, 9, 10, 2, 3})
        gaps.see(number); // 7 and 8 missed; 2 starts afresh
    EXPECT_EQ(gaps.missed(), 2u);
    EXPECT_EQ(RecordSummary(6, 2), "k740-position: 6 rows written, 2 cycles missed");
}

#include "acquisition/position_log.h"
#include "settings/program_dir.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

const QDateTime kMorning(QDate(2026, 12, 8), QTime(14, 5, 33));

bool Write(const ProgramDir& dir, const QString& port, const QString& value, const QDateTime& when = kMorning,
           QString* error = nullptr)
{
    return WriteLogLine(dir.Path(), port, value, when, error);
}

} // namespace

TEST(PositionLog, FileNameBesideTheProgram)
{
    EXPECT_EQ(LogFileName("/opt/k740/", "COM12"), "/opt/k740/K740_COM12.LOG");
    EXPECT_EQ(LogFileName("/opt/k740/", "ttyUSB0"), "/opt/k740/K740_ttyUSB0.LOG");
}

TEST(PositionLog, FirstWriteCreatesTheFileLaterWritesAppend)
{
    ProgramDir dir;
    EXPECT_TRUE(Write(dir, "COM12", "12.345"));
    EXPECT_EQ(dir.Read("K740_COM12.LOG"), QByteArray("COM12;08.12.2026;14:05:33;12.345\r\n"));
    EXPECT_TRUE(Write(dir, "COM12", "-0.500", QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5))));
    EXPECT_EQ(dir.Read("K740_COM12.LOG"),
              QByteArray("COM12;08.12.2026;14:05:33;12.345\r\nCOM12;02.01.2027;03:04:05;-0.500\r\n"));
}

TEST(PositionLog, RunsAccumulateAndPortsKeepTheirOwnFile)
{
    ProgramDir dir;
    dir.Write("K740_COM3.LOG", "COM3;01.01.2026;00:00:00;1\r\n");
    EXPECT_TRUE(Write(dir, "COM3", "2"));
    EXPECT_TRUE(Write(dir, "COM4", "3"));
    EXPECT_EQ(dir.Read("K740_COM3.LOG"), QByteArray("COM3;01.01.2026;00:00:00;1\r\nCOM3;08.12.2026;14:05:33;2\r\n"));
    EXPECT_EQ(dir.Read("K740_COM4.LOG"), QByteArray("COM4;08.12.2026;14:05:33;3\r\n"));
}

TEST(PositionLog, LocaleTimeSeparatorAndDecimalComma)
{
    ProgramDir dir;
    const QLocale finnish(QLocale::Finnish, QLocale::Finland);
    ASSERT_TRUE(finnish.timeFormat(QLocale::ShortFormat).contains('.'));
    QLocale::setDefault(finnish);
    const bool written = Write(dir, "COM3", "12,345");
    QLocale::setDefault(QLocale::c());
    EXPECT_TRUE(written);
    EXPECT_EQ(dir.Read("K740_COM3.LOG"), QByteArray("COM3;08.12.2026;14.05.33;12,345\r\n"));
}

TEST(PositionLog, TimeFormatWithoutSeparatorCharacterUsesColon)
{
    ProgramDir dir;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::Canada));   // "HH 'h' mm"
    const bool written = Write(dir, "COM3", "1");
    QLocale::setDefault(QLocale::c());
    EXPECT_TRUE(written);
    EXPECT_EQ(dir.Read("K740_COM3.LOG"), QByteArray("COM3;08.12.2026;14:05:33;1\r\n"));
}

TEST(PositionLog, SingleByteText)
{
    ProgramDir dir;
    EXPECT_TRUE(Write(dir, "COM3", QString::fromUtf8("12.5\u00B0")));
    EXPECT_EQ(dir.Read("K740_COM3.LOG"), QByteArray("COM3;08.12.2026;14:05:33;12.5\xB0\r\n"));
}

TEST(PositionLogFailure, UnwritableDirectoryNamesTheFileAndTheReason)
{
    ProgramDir dir;
    const QString unwritable = dir.Unwritable();
    QString error;
    EXPECT_FALSE(WriteLogLine(unwritable, "COM3", "1", kMorning, &error));
    const QString prefix = "Saving position to " + unwritable + "K740_COM3.LOG failed: ";
    EXPECT_TRUE(error.startsWith(prefix)) << error.toStdString();
    EXPECT_GT(error.size(), prefix.size());
}

TEST(PositionLogFailure, LogThatIsADirectory)
{
    ProgramDir dir;
    ASSERT_TRUE(QDir(dir.Path()).mkdir("K740_COM3.LOG"));
    QString error;
    EXPECT_FALSE(Write(dir, "COM3", "1", kMorning, &error));
    EXPECT_TRUE(error.startsWith("Saving position to " + dir.File("K740_COM3.LOG") + " failed: ")) << error.toStdString();
}

TEST(PositionLogFailure, UnsafePortNameNeverBecomesAPath)
{
    ProgramDir dir;
    QDir(dir.Path()).mkdir("sub");
    for (const QString& port : QStringList{"../COM3", "a/b", "", "..", "COM 3", "CO\nM"}) {
        QString error;
        EXPECT_FALSE(WriteLogLine(dir.File("sub/"), port, "1", kMorning, &error)) << port.toStdString();
        EXPECT_TRUE(error.startsWith("Saving position to ")) << error.toStdString();
    }
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"sub"});
    EXPECT_TRUE(QDir(dir.File("sub")).isEmpty());
}

TEST(PositionLogFailure, NoMessageWantedStillFails)
{
    ProgramDir dir;
    EXPECT_FALSE(WriteLogLine(dir.Unwritable(), "COM3", "1", nullptr));
}

TEST(PositionLog, ClockOverloadWritesTheCurrentDate)
{
    ProgramDir dir;
    QString error;
    ASSERT_TRUE(WriteLogLine(dir.Path(), "COM3", "1", &error)) << error.toStdString();
    const QByteArray line = dir.Read("K740_COM3.LOG");
    EXPECT_TRUE(line.startsWith("COM3;" + QDate::currentDate().toString("dd.MM.yyyy").toLatin1() + ';')
                || line.startsWith("COM3;" + QDate::currentDate().addDays(-1).toString("dd.MM.yyyy").toLatin1() + ';'))
        << line.constData();
    EXPECT_EQ(line.size(), qsizetype(strlen("COM3;08.12.2026;14:05:33;1\r\n")));
}

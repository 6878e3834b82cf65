#include "acquisition/position_log.h"
#include "settings/program_dir.h"
#include "support/small_tmpfs.h"

#include <QDir>
#include <QLocale>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace k740;

namespace {

const QDateTime kWhen(QDate(2026, 12, 8), QTime(14, 5, 33));

// Writes one line under the given default locale; returns the file's text.
QByteArray LogWith(const QLocale& locale, const QString& value)
{
    ProgramDir dir;
    QLocale::setDefault(locale);
    const bool written = WriteLogLine(dir.Path(), "COM3", value, kWhen, nullptr);
    QLocale::setDefault(QLocale::c());
    EXPECT_TRUE(written);
    return dir.Read("K740_COM3.LOG");
}

} // namespace

TEST(PositionLog, FirstWriteCreatesTheFileLaterWritesAppend)
{
    ProgramDir dir;
    EXPECT_EQ(LogFileName(dir.Path(), "COM12"), dir.File("K740_COM12.LOG"));
    EXPECT_TRUE(WriteLogLine(dir.Path(), "COM12", "12.345", kWhen, nullptr));
    EXPECT_EQ(dir.Read("K740_COM12.LOG"), QByteArray("COM12;08.12.2026;14:05:33;12.345\r\n"));
    EXPECT_TRUE(WriteLogLine(dir.Path(), "COM12", "-0.500", QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5)), nullptr));
    EXPECT_EQ(dir.Read("K740_COM12.LOG"),
        QByteArray("COM12;08.12.2026;14:05:33;12.345\r\nCOM12;02.01.2027;03:04:05;-0.500\r\n"));
}

TEST(PositionLog, LocaleSeparatorsAndSingleByteText)
{
    const QLocale finnish(QLocale::Finnish, QLocale::Finland); // short time format "H.mm"
    ASSERT_TRUE(finnish.timeFormat(QLocale::ShortFormat).contains('.'));
    EXPECT_EQ(LogWith(finnish, "12,345"), QByteArray("COM3;08.12.2026;14.05.33;12,345\r\n"));
    // "HH 'h' mm" has no separator character between hours and minutes.
    EXPECT_EQ(LogWith(QLocale(QLocale::French, QLocale::Canada), "1"), QByteArray("COM3;08.12.2026;14:05:33;1\r\n"));
    EXPECT_EQ(
        LogWith(QLocale::c(), QString::fromUtf8("12.5\u00B0")), QByteArray("COM3;08.12.2026;14:05:33;12.5\xB0\r\n"));
}

// Each line is due one interval after the previous one's due time: lines
// written up to a cycle late do not push the next ones back; after a pause of
// more than an interval the schedule starts again rather than catching up.
TEST(PositionLog, LinesAreScheduledFromThePreviousDueTime)
{
    TLogSchedule schedule;
    const std::pair<uint32_t, bool> ticks[] = {
        {500000, true}, // the first line at once
        {501000, false}, {501010, true}, {502000, false}, {502001, true}, {502995, false}, {503004, true},
        {504001, true}, // 997 ms after the last line, but one interval after its due time
        {510000, true}, {511000, false}, {511001, true},  // after a pause, from then on
        {0xFFFFFFF0u, true}, {0xFFFFFFF0u + 1001u, true}, // across the counter's wrap-around
    };
    for (const auto& [now, due] : ticks)
        EXPECT_EQ(schedule.take(now, 1000), due) << now;
}

TEST(PositionLog, TheClockGivesTodaysDate)
{
    ProgramDir dir;
    const QDate before = QDate::currentDate();
    ASSERT_TRUE(WriteLogLine(dir.Path(), "COM3", "1", nullptr));
    const QByteArray date = dir.Read("K740_COM3.LOG").mid(5, 10);
    EXPECT_TRUE(date == before.toString("dd.MM.yyyy").toLatin1()
        || date == QDate::currentDate().toString("dd.MM.yyyy").toLatin1())
        << date.constData();
}

TEST(PositionLogFailure, UnwritablePlaceNamesTheFileAndTheReason)
{
    ProgramDir dir;
    ASSERT_TRUE(QDir(dir.Path()).mkdir("K740_COM3.LOG"));
    for (const QString& programDir : {dir.Unwritable(), dir.Path()}) {
        QString error;
        EXPECT_FALSE(WriteLogLine(programDir, "COM3", "1", kWhen, &error));
        const QString prefix = "Saving position to " + programDir + "K740_COM3.LOG failed: ";
        EXPECT_TRUE(error.startsWith(prefix) && error.size() > prefix.size()) << error.toStdString();
    }
    EXPECT_FALSE(WriteLogLine(dir.Unwritable(), "COM3", "1", nullptr));
}

TEST(PositionLogFailure, UnsafePortNameNeverBecomesAPath)
{
    ProgramDir dir;
    QDir(dir.Path()).mkdir("sub");
    for (const QString& port : QStringList{"../COM3", "a/b", "", "..", "COM 3", "CO\nM"}) {
        QString error;
        EXPECT_FALSE(WriteLogLine(dir.File("sub/"), port, "1", kWhen, &error)) << port.toStdString();
        EXPECT_TRUE(error.startsWith("Saving position to ")) << error.toStdString();
    }
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"sub"});
    EXPECT_TRUE(QDir(dir.File("sub")).isEmpty());
}

// A FIFO in the log's place is refused at once. Were the open to wait for a
// reader, the watchdog would open one after 2 s and the test fails.
TEST(PositionLogFailure, FifoIsRefusedWithoutWaitingForAReader)
{
    ProgramDir dir;
    const QByteArray fifo = QFile::encodeName(dir.File("K740_COM3.LOG"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    std::atomic<bool> done{false}, unblocked{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 200 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!done) {
            unblocked = true;
            ::close(::open(fifo.constData(), O_RDONLY | O_NONBLOCK));
        }
    });
    QString error;
    const bool written = WriteLogLine(dir.Path(), "COM3", "1", kWhen, &error);
    done = true;
    watchdog.join();
    EXPECT_FALSE(unblocked) << "the log's open waited for a reader";
    EXPECT_FALSE(written);
    EXPECT_EQ(error, "Saving position to " + dir.File("K740_COM3.LOG") + " failed: Not a regular file");
}

// The line runs past the last free byte of a full disk: none of it stays.
TEST(PositionLogFailure, FullDiskLeavesNoPartOfTheLine)
{
    SmallTmpfs disk(64);
    if (!disk.mounted())
        GTEST_SKIP() << "no disk to fill: " << disk.problem().toStdString();
    // The log ends 10 bytes before the end of its block, then the disk fills.
    const QByteArray earlier(4096 - 10, 'x');
    QFile log(disk.path() + "K740_COM3.LOG");
    ASSERT_TRUE(log.open(QIODevice::WriteOnly) && log.write(earlier) == earlier.size());
    log.close();
    ASSERT_TRUE(disk.fill());
    QString error;
    EXPECT_FALSE(WriteLogLine(disk.path(), "COM3", "12.345", kWhen, &error));
    EXPECT_EQ(error, "Saving position to " + disk.path() + "K740_COM3.LOG failed: No space left on device");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), earlier);
}

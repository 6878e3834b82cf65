// The link's figures and the stream of cycles, over a private session bus:
// the real program against k740-sim, followed by k740-position and by
// dbus-monitor, which stands for any other client on the bus.
#include "e2e/e2e_harness.h"
#include "platform/position_service_names.h"
#include "service/service_calls.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>

namespace Names = k740::PositionService;

namespace {

// k740-position --stats as a map of name to number.
QMap<QString, double> Figures()
{
    QMap<QString, double> figures;
    for (const QString& line : Client({"--stats"}).out.split('\n'))
        figures.insert(line.section(' ', 0, 0), line.section(' ', 1).toDouble());
    return figures;
}

// The figures of a second of cycles that all met `fault`.
QMap<QString, double> FiguresUnder(SimulatorProcess& sim, const QString& fault)
{
    sim.send("fault " + fault);
    QThread::msleep(200); // a reply on its way still comes without the fault
    Call(Names::kName, "ResetStatistics");
    QThread::msleep(1000);
    return Figures();
}

struct CsvRow {
    double seconds = 0;
    quint64 cycle = 0;
    QString raw, value, text;
    bool valid = false;
};

// The rows of a recording made by k740-position (the text holds no comma here).
QList<CsvRow> ReadCsv(const QString& text, QString& header)
{
    QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    header = lines.isEmpty() ? QString() : lines.takeFirst();
    QList<CsvRow> rows;
    for (const QString& line : lines) {
        const QStringList f = line.split(',');
        if (f.size() == 7)
            rows.push_back(
                {f[0].toDouble(), f[1].toULongLong(), f[2], f[3], f[4].mid(1, f[4].size() - 2), f[5] == "1"});
    }
    return rows;
}

// k740 (linear, millimetres) on a counting interface whose encoder moves at
// `speed` counts per second.
struct MovingCounter {
    explicit MovingCounter(int speed)
        : sim(vports.path(), "vcom0", {"--encoder", "counter", "--speed", QString::number(speed)})
    {
        program.start(vports.path(), {});
    }
    bool ready() const { return sim.ready() && WaitForReadOut(Names::kName); }

    QTemporaryDir vports;
    SimulatorProcess sim;
    ProgramProcess program;
};

QProcess* StartRecorder(QObject* owner, const QStringList& arguments)
{
    auto* recorder = new QProcess(owner);
    recorder->start(ClientPath(), QStringList{"--record"} + arguments);
    recorder->waitForStarted(5000);
    return recorder;
}

} // namespace

TEST(PositionStream, StatisticsCountTheInjectedFaults)
{
    QTemporaryDir vports;
    SimulatorProcess sim(vports.path(), "vcom0", {"--encoder", "biss", "--bits", "26", "--status-bits", "2"});
    ASSERT_TRUE(sim.ready());
    ProgramProcess program("[K740.vcom0]\nRotary=1\nCPR=67108864\nBiSS=1\nSSIStatusBits=2\nCRCBits=6\n");
    program.start(vports.path(), {});
    ASSERT_TRUE(WaitForReadOut(Names::kName));
    const QStringList names{"CrcFailures", "Cycles", "Exchanges", "Frames", "IncompleteReplies", "InvalidFrames",
        "LinkLosses", "PollingRate", "RoundTripMedianUs", "RoundTripP99Us", "Seconds", "Timeouts"};
    EXPECT_EQ(Figures().keys(), names);

    QMap<QString, double> f = FiguresUnder(sim, "crc");
    EXPECT_GT(f["Frames"], 50);
    EXPECT_EQ(f["CrcFailures"], f["Frames"]);
    EXPECT_EQ(f["InvalidFrames"], 0);
    EXPECT_GT(f["PollingRate"], 50);
    EXPECT_GT(f["RoundTripP99Us"], 0);
    f = FiguresUnder(sim, "garbage");
    EXPECT_GT(f["Frames"], 50);
    EXPECT_EQ(f["InvalidFrames"], f["Frames"]);
    EXPECT_EQ(f["CrcFailures"], 0);
    EXPECT_EQ(f["Exchanges"], f["Cycles"]);

    // Silence loses the link after one time-out; the figures stay until
    // the interface answers again and a new connection resets them.
    sim.send("fault silence");
    ASSERT_TRUE(QTest::qWaitFor([] { return Property(Names::kName, "Connected") == QVariant(false); }, 5000));
    f = Figures();
    EXPECT_EQ(f["Timeouts"], 1);
    EXPECT_EQ(f["LinkLosses"], 1);
    sim.send("fault none");
    ASSERT_TRUE(QTest::qWaitFor([] { return Property(Names::kName, "Connected") == QVariant(true); }, 5000));
    f = Figures();
    EXPECT_EQ(f["LinkLosses"] + f["Timeouts"] + f["InvalidFrames"], 0);
}

TEST(PositionStream, OtherClientsSeeTheSignalOnlyWhileSomeoneSubscribed)
{
    const QString monitorPath = QStandardPaths::findExecutable("dbus-monitor");
    if (monitorPath.isEmpty())
        GTEST_SKIP() << "dbus-monitor is missing (Debian package dbus-bin)";
    MovingCounter running(1000);
    ASSERT_TRUE(running.ready());

    QProcess monitor;
    monitor.start(monitorPath, {"--session", "--profile", "type='signal',interface='org.k740.Desktop',member='Cycle'"});
    QString seen;
    const auto signalsSeen = [&] {
        monitor.waitForReadyRead(50);
        seen += QString::fromLatin1(monitor.readAllStandardOutput());
        return seen.count("\tCycle\n");
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return signalsSeen(), seen.contains("#type"); }, 5000));
    // Unchanged over `ms`: nothing is sent.
    const auto silentFor = [&](int ms) {
        QTest::qWait(200); // what was on its way
        const int before = signalsSeen();
        QTest::qWait(ms);
        return signalsSeen() == before;
    };
    EXPECT_TRUE(silentFor(500));
    EXPECT_EQ(signalsSeen(), 0);

    // A subscriber of its own, which can leave the bus (once no object
    // refers to its connection any more).
    std::optional<QDBusConnection> subscriber
        = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "subscriber");
    const auto call = [&](const char* method) {
        return subscriber->call(QDBusMessage::createMethodCall(Names::kName, Names::kPath, Names::kInterface, method));
    };
    EXPECT_EQ(call("Subscribe").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(call("Subscribe").errorName(), Names::kAlreadySubscribedError);
    QTest::qWait(600);
    const int oneStream = signalsSeen();
    EXPECT_GT(oneStream, 40);
    EXPECT_LT(oneStream, 70); // once per cycle, not twice
    EXPECT_EQ(call("Unsubscribe").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(call("Unsubscribe").errorName(), Names::kNotSubscribedError);
    EXPECT_TRUE(silentFor(500));

    EXPECT_EQ(call("Subscribe").type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(QTest::qWaitFor([&] { return signalsSeen() > oneStream + 20; }, 3000));
    subscriber.reset();
    QDBusConnection::disconnectFromBus("subscriber"); // leaves without a word
    EXPECT_TRUE(silentFor(500));
    monitor.kill();
    monitor.waitForFinished(2000);
}

TEST(PositionStream, RecordingHasEveryCycleAndALinkLossAsAGap)
{
    MovingCounter running(2000); // the value is the count / 1000
    ASSERT_TRUE(running.ready());
    QTemporaryDir out;
    const QString csv = out.filePath("run.csv");
    QObject owner;
    QProcess* recorder = StartRecorder(&owner, {csv});
    const auto rowsWritten = [&] {
        QFile file(csv);
        return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) - 1 : -1;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowsWritten() >= 100; }, 10000));
    running.sim.send("unplug");
    ASSERT_TRUE(QTest::qWaitFor([] { return Property(Names::kName, "Connected") == QVariant(false); }, 5000));
    QTest::qWait(300);
    running.sim.send("replug");
    ASSERT_TRUE(QTest::qWaitFor([] { return Property(Names::kName, "Connected") == QVariant(true); }, 10000));
    const int beforeEnd = rowsWritten();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowsWritten() >= beforeEnd + 100; }, 10000));

    ::kill(pid_t(recorder->processId()), SIGINT);
    ASSERT_TRUE(recorder->waitForFinished(5000));
    EXPECT_EQ(recorder->exitCode(), 0);
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString header;
    const QList<CsvRow> rows = ReadCsv(QString::fromUtf8(file.readAll()), header);
    EXPECT_EQ(header, "seconds,cycle,raw,value,text,valid,crc");
    const QString summary = QString::fromLocal8Bit(recorder->readAllStandardError());
    EXPECT_EQ(summary, QStringLiteral("k740-position: %1 rows written, 0 cycles missed\n").arg(rows.size()));

    // No cycle missing; one row without a frame for the loss, then a gap;
    // every count read where the encoder was at 2000 counts per second (the
    // reply's time is the program's, so a busy machine shifts it by some ms).
    int invalid = 0;
    const CsvRow* lastValid = nullptr;
    for (int i = 0; i < rows.size(); ++i) {
        const CsvRow& row = rows[i];
        if (i > 0) {
            EXPECT_EQ(row.cycle, rows[i - 1].cycle + 1) << i;
        }
        if (!row.valid) {
            ++invalid;
            EXPECT_TRUE(row.raw.isEmpty() && row.value.isEmpty() && row.text.isEmpty()) << i;
            EXPECT_GT(rows.value(i + 1).seconds - row.seconds, 0.5) << i;
            continue;
        }
        EXPECT_EQ(row.value.toDouble(), row.raw.toDouble() / 1000) << i;
        EXPECT_EQ(row.text, QString::number(row.raw.toDouble() / 1000, 'f', 3)) << i;
        if (lastValid) {
            EXPECT_NEAR(row.raw.toDouble() - lastValid->raw.toDouble(), 2000 * (row.seconds - lastValid->seconds), 40)
                << i;
        }
        lastValid = &row;
    }
    EXPECT_EQ(invalid, 1);
}

TEST(PositionStream, TwoRecordersEachGetEveryCycleThoughOneStopsReading)
{
    MovingCounter running(1000);
    ASSERT_TRUE(running.ready());
    QTemporaryDir out;
    QObject owner;
    QProcess* stalled = StartRecorder(&owner, {out.filePath("b.csv"), "--frames", "300"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile(out.filePath("b.csv")).size() > 50; }, 10000));
    ::kill(pid_t(stalled->processId()), SIGSTOP);

    QProcess* reading = StartRecorder(&owner, {"-", "--frames", "300"});
    ASSERT_TRUE(reading->waitForFinished(15000));
    EXPECT_EQ(reading->exitCode(), 0);
    QString header;
    const QList<CsvRow> rows = ReadCsv(QString::fromUtf8(reading->readAllStandardOutput()), header);
    ASSERT_EQ(rows.size(), 300);
    EXPECT_EQ(rows.last().cycle - rows.first().cycle, 299u);
    EXPECT_GT(299 / rows.last().seconds, 90) << "cycles per second while a subscriber did not read";
    EXPECT_EQ(
        QString::fromLocal8Bit(reading->readAllStandardError()), "k740-position: 300 rows written, 0 cycles missed\n");

    ::kill(pid_t(stalled->processId()), SIGCONT);
    ASSERT_TRUE(stalled->waitForFinished(15000));
    EXPECT_EQ(
        QString::fromLocal8Bit(stalled->readAllStandardError()), "k740-position: 300 rows written, 0 cycles missed\n");
}

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
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace Names = k740::position_service;

namespace {

// k740-position --stats as numbers by name.
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
    QTest::qWait(200); // a reply on its way still comes without the fault
    Call(Names::kName, "ResetStatistics");
    QTest::qWait(1000);
    return Figures();
}

bool WaitForConnected(bool connected)
{
    return QTest::qWaitFor([&] { return Property(Names::kName, "Connected") == QVariant(connected); }, 10000);
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

} // namespace

TEST(PositionStream, StatisticsCountTheInjectedFaults)
{
    QTemporaryDir vports;
    SimulatorProcess sim(vports.path(), "vcom0", {"--encoder", "biss", "--bits", "26", "--status-bits", "2"});
    ProgramProcess program("[K740.vcom0]\nRotary=1\nCPR=67108864\nBiSS=1\nSSIStatusBits=2\nCRCBits=6\n");
    program.start(vports.path(), {});
    ASSERT_TRUE(sim.ready() && WaitForReadOut(Names::kName));

    QMap<QString, double> f = FiguresUnder(sim, "crc");
    EXPECT_EQ(f.keys(),
        QStringList({"CrcFailures", "Cycles", "Exchanges", "Frames", "IncompleteReplies", "InvalidFrames", "LinkLosses",
            "PollingRate", "RoundTripMedianUs", "RoundTripP99Us", "Seconds", "Timeouts"}));
    EXPECT_GT(f["Frames"], 50);
    EXPECT_EQ(f["CrcFailures"], f["Frames"]);
    EXPECT_EQ(f["InvalidFrames"], 0);
    EXPECT_GT(f["PollingRate"], 50);
    f = FiguresUnder(sim, "garbage");
    EXPECT_GT(f["Frames"], 50);
    EXPECT_EQ(f["InvalidFrames"], f["Frames"]);
    EXPECT_EQ(f["Exchanges"], f["Cycles"]);
    // Silence loses the link after one time-out (time-outs, losses and
    // reconnections are counted exactly in tests/acquisition).
    sim.send("fault silence");
    ASSERT_TRUE(WaitForConnected(false));
    EXPECT_EQ(Figures()["LinkLosses"], 1);
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
    const auto silentFor500ms = [&] {
        QTest::qWait(200); // what was on its way
        const int before = signalsSeen();
        QTest::qWait(500);
        return signalsSeen() == before;
    };
    EXPECT_TRUE(silentFor500ms() && signalsSeen() == 0);

    // A subscriber that can leave the bus (once nothing refers to its connection).
    std::optional<QDBusConnection> subscriber = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "sub");
    const auto call = [&](const char* method) {
        return subscriber->call(QDBusMessage::createMethodCall(Names::kName, Names::kPath, Names::kInterface, method));
    };
    EXPECT_EQ(call("Subscribe").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(call("Subscribe").errorName(), Names::kAlreadySubscribedError);
    QTest::qWait(600);
    const int oneStream = signalsSeen();
    EXPECT_TRUE(oneStream > 40 && oneStream < 70) << oneStream; // once per cycle, not twice
    EXPECT_EQ(call("Unsubscribe").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(call("Unsubscribe").errorName(), Names::kNotSubscribedError);
    EXPECT_TRUE(silentFor500ms());
    EXPECT_EQ(call("Subscribe").type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(QTest::qWaitFor([&] { return signalsSeen() > oneStream + 20; }, 3000));
    subscriber.reset();
    QDBusConnection::disconnectFromBus("sub"); // leaves without a word
    EXPECT_TRUE(silentFor500ms());
    monitor.kill();
    monitor.waitForFinished(2000);
}

// One recorder to a file, ended by Ctrl+C; a second one to standard output
// stops reading for a while and ends after 300 rows; a third one to a FIFO
// that nobody reads says so and ends with the first Ctrl+C.
TEST(PositionStream, RecordersGetEveryCycleAndALinkLossAsAGap)
{
    MovingCounter running(2000); // the value is the count / 1000
    ASSERT_TRUE(running.ready());
    const QString csv = running.program.folder() + "/run.csv";
    const QString fifo = running.program.folder() + "/unread.csv";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess recorder, stalled, waiting;
    recorder.start(ClientPath(), {"--record", csv});
    stalled.start(ClientPath(), {"--record", "-", "--frames", "300"});
    const auto rowsWritten = [&] { return running.program.fileLines("run.csv").size() - 1; };
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowsWritten() >= 5 && stalled.bytesAvailable() > 0; }, 10000));
    ::kill(pid_t(stalled.processId()), SIGSTOP);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowsWritten() >= 150; }, 10000));
    waiting.start(ClientPath(), {"--record", fifo}); // after the rows that show the full rate
    running.sim.send("unplug");
    ASSERT_TRUE(WaitForConnected(false));
    QTest::qWait(300);
    running.sim.send("replug");
    ASSERT_TRUE(WaitForConnected(true));
    const int beforeEnd = rowsWritten();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowsWritten() >= beforeEnd + 100; }, 10000));
    waiting.setReadChannel(QProcess::StandardError);
    ASSERT_TRUE(QTest::qWaitFor([&] { return waiting.bytesAvailable() > 0 || waiting.waitForReadyRead(10); }, 5000))
        << "no word of the FIFO";
    ::kill(pid_t(recorder.processId()), SIGINT);
    ::kill(pid_t(waiting.processId()), SIGINT);
    ::kill(pid_t(stalled.processId()), SIGCONT);
    ASSERT_TRUE(recorder.waitForFinished(5000) && stalled.waitForFinished(5000) && waiting.waitForFinished(5000));
    EXPECT_EQ(recorder.exitCode() + stalled.exitCode() + waiting.exitCode(), 0);
    EXPECT_EQ(waiting.readAllStandardError(),
        "k740-position: waiting for a reader of " + fifo.toLocal8Bit()
            + "\nk740-position: 0 rows written, 0 cycles missed\n");
    EXPECT_EQ(stalled.readAllStandardOutput().count('\n'), 301);
    EXPECT_EQ(stalled.readAllStandardError(), "k740-position: 300 rows written, 0 cycles missed\n");

    QStringList rows = running.program.fileLines("run.csv");
    EXPECT_EQ(rows.takeFirst(), "seconds,cycle,raw,value,text,valid,crc");
    EXPECT_EQ(QString::fromLocal8Bit(recorder.readAllStandardError()),
        QStringLiteral("k740-position: %1 rows written, 0 cycles missed\n").arg(rows.size()));
    // Full rate while the other recorder did not read.
    EXPECT_LT(rows[149].section(',', 0, 0).toDouble(), 149 / 90.0);
    // No cycle missing; one row without a frame for the loss, then a gap;
    // every count read where the encoder was at 2000 counts per second (the
    // reply's time is the program's, so a busy machine shifts it by some ms).
    int invalid = 0;
    QStringList lastValid;
    for (int i = 0; i < rows.size(); ++i) {
        const QStringList f = rows[i].split(','); // seconds, cycle, raw, value, "text", valid, crc
        ASSERT_EQ(f.size(), 7) << rows[i].toStdString();
        EXPECT_EQ(f[1].toULongLong(), rows[0].section(',', 1, 1).toULongLong() + quint64(i));
        if (f[5] == "0") {
            ++invalid;
            EXPECT_EQ(f.mid(2, 3).join(','), ",,\"\"");
            EXPECT_GT(rows.value(i + 1).section(',', 0, 0).toDouble() - f[0].toDouble(), 0.5);
            continue;
        }
        EXPECT_EQ(f[3].toDouble(), f[2].toDouble() / 1000);
        EXPECT_EQ(f[4], '"' + QString::number(f[2].toDouble() / 1000, 'f', 3) + '"');
        if (!lastValid.isEmpty()) {
            EXPECT_NEAR(
                f[2].toDouble() - lastValid[2].toDouble(), 2000 * (f[0].toDouble() - lastValid[0].toDouble()), 40);
        }
        lastValid = f;
    }
    EXPECT_EQ(invalid, 1);
}

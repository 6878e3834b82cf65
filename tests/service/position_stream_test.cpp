// The link's figures and the streams of cycles, over a private session bus:
// the real program against k740-sim, followed by k740-position and by a
// reader of the test's own, while dbus-monitor watches the bus.
#include "service/position_service_names.h"
#include "service/service_calls.h"
#include "support/e2e_harness.h"
#include "support/missing_tools.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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
        QStringList({"ConnectedSeconds", "CrcFailures", "Cycles", "DroppedRows", "Exchanges", "Frames",
            "IncompleteReplies", "InvalidFrames", "LateReplies", "LinkLosses", "PollingRate", "RoundTripMedianUs",
            "RoundTripP99Us", "Seconds", "Timeouts"}));
    EXPECT_GT(f["Frames"], 50);
    EXPECT_EQ(f["CrcFailures"], f["Frames"]);
    EXPECT_EQ(f["InvalidFrames"], 0);
    EXPECT_GT(f["PollingRate"], 50);
    f = FiguresUnder(sim, "garbage");
    EXPECT_GT(f["Frames"], 50);
    EXPECT_EQ(f["InvalidFrames"], f["Frames"]);
    EXPECT_EQ(f["Exchanges"], f["Cycles"]);
    // Silence loses the link after one time-out (time-outs, losses and
    // reconnections are counted exactly in tests/acquisition); the figures
    // go on through the next connection.
    sim.send("fault silence");
    ASSERT_TRUE(WaitForConnected(false));
    f = Figures();
    EXPECT_EQ(std::pair(f["LinkLosses"], f["ConnectedSeconds"]), std::pair(1.0, 0.0));
    sim.send("fault none");
    ASSERT_TRUE(WaitForConnected(true));
    QTest::qWait(300);
    const QMap<QString, double> after = Figures();
    EXPECT_EQ(after["LinkLosses"], 1);
    EXPECT_GT(after["Frames"], f["Frames"]);
    EXPECT_GT(after["ConnectedSeconds"], 0);
    EXPECT_LT(after["ConnectedSeconds"], after["Seconds"] - 0.5);
}

namespace {

// A stream of the program's, opened by the test.
int OpenStream()
{
    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(Names::kName, Names::kPath, Names::kInterface, Names::kOpenStream));
    const auto handed = qdbus_cast<QDBusUnixFileDescriptor>(reply.arguments().value(0));
    return handed.isValid() ? ::fcntl(handed.fileDescriptor(), F_DUPFD_CLOEXEC, 0) : -1;
}

// The cycle numbers of the rows waiting on `fd`; every row is whole.
QList<quint64> RowCycles(int fd)
{
    QList<quint64> cycles;
    char row[4096];
    for (ssize_t n = 0; (n = ::recv(fd, row, sizeof row, MSG_DONTWAIT)) > 0;) {
        const QList<QByteArray> fields = QByteArray(row, int(n)).split(',');
        EXPECT_TRUE(fields.size() == 7 && fields.last() == "1\n") << row;
        cycles.append(fields.value(1).toULongLong());
    }
    return cycles;
}

int OpenDescriptors(qint64 pid)
{
    return int(QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

} // namespace

// A recorder to a file gets every cycle, a link loss as one row without a
// frame, and the program's end; a reader of the test's own that does not
// read loses rows, counted as dropped, and ends its stream by closing it.
// The bus carries no message per cycle.
TEST(PositionStream, StreamsGetEveryCycleOffTheBus)
{
    MovingCounter running(2000); // the value is the count / 1000
    ASSERT_TRUE(running.ready());
    const ClientRun thirty = Client({"--record", "-", "--frames", "30"});
    EXPECT_EQ(thirty.exitCode, 0);
    EXPECT_EQ(thirty.out.count('\n'), 30); // the header and 30 rows (the last line feed trimmed)
    EXPECT_EQ(thirty.err, "k740-position: 30 rows written, 0 cycles missed");

    const QString csv = running.program.folder() + "/run.csv";
    const qint64 pid = running.program.processId();
    QProcess recorder;
    recorder.start(ClientPath(), {"--record", csv});
    const auto rowsWritten = [&] { return running.program.fileLines("run.csv").size() - 1; };
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowsWritten() >= 5; }, 10000));

    const QString monitorPath = QStandardPaths::findExecutable("dbus-monitor");
    if (monitorPath.isEmpty() && DesktopToolsRequired())
        ADD_FAILURE() << "dbus-monitor is not installed (K740_REQUIRE_DESKTOP_TOOLS is set)";
    if (!monitorPath.isEmpty()) {
        QProcess monitor;
        monitor.start(monitorPath, {"--session", "--profile"});
        ASSERT_TRUE(QTest::qWaitFor([&] { return monitor.canReadLine(); }, 5000));
        QTest::qWait(300);
        monitor.readAllStandardOutput();
        const int rowsBefore = rowsWritten();
        QTest::qWait(1000);
        const QByteArray seen = monitor.readAllStandardOutput();
        EXPECT_GT(rowsWritten() - rowsBefore, 50);
        EXPECT_LT(seen.count('\n'), 10) << seen.constData();
        monitor.kill();
        monitor.waitForFinished(2000);
    }

    // A FIFO that nobody reads: the recorder says so and ends with the first Ctrl+C.
    const QString fifo = running.program.folder() + "/unread.csv";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess waiting;
    waiting.setReadChannel(QProcess::StandardError);
    waiting.start(ClientPath(), {"--record", fifo});
    ASSERT_TRUE(QTest::qWaitFor([&] { return waiting.bytesAvailable() > 0 || waiting.waitForReadyRead(10); }, 5000))
        << "no word of the FIFO";
    ::kill(pid_t(waiting.processId()), SIGINT);
    ASSERT_TRUE(waiting.waitForFinished(5000));
    EXPECT_EQ(waiting.exitCode(), 0);
    EXPECT_EQ(waiting.readAllStandardError(),
        "k740-position: waiting for a reader of " + fifo.toLocal8Bit()
            + "\nk740-position: 0 rows written, 0 cycles missed\n");

    const int descriptors = OpenDescriptors(pid);
    const int slow = OpenStream();
    ASSERT_GE(slow, 0);
    QTest::qWait(200);
    EXPECT_EQ(OpenDescriptors(pid), descriptors + 1);
    const int rowsAtOpen = rowsWritten();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowsWritten() > rowsAtOpen + 500; }, 20000)); // more than the queue holds
    QList<quint64> cycles = RowCycles(slow); // rows written while this reads may follow the gap
    QTest::qWait(300);
    cycles += RowCycles(slow);
    ASSERT_GT(cycles.size(), 110);
    quint64 missed = 0;
    for (qsizetype i = 1; i < cycles.size(); ++i) {
        ASSERT_GT(cycles[i], cycles[i - 1]); // whole rows, in order
        missed += cycles[i] - cycles[i - 1] - 1;
    }
    EXPECT_GT(missed, 50u);
    EXPECT_GE(Figures()["DroppedRows"], double(missed)); // the recorder may have missed some too
    ::close(slow);
    EXPECT_TRUE(QTest::qWaitFor([&] { return OpenDescriptors(pid) == descriptors; }, 2000));

    running.sim.send("unplug");
    ASSERT_TRUE(WaitForConnected(false));
    QTest::qWait(300);
    running.sim.send("replug");
    ASSERT_TRUE(WaitForConnected(true));
    const int beforeEnd = rowsWritten();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowsWritten() >= beforeEnd + 100; }, 10000));
    ASSERT_TRUE(running.program.terminate());
    ASSERT_TRUE(recorder.waitForFinished(5000));
    EXPECT_EQ(recorder.exitCode(), 2);

    QStringList rows = running.program.fileLines("run.csv");
    EXPECT_EQ(rows.takeFirst(), "seconds,cycle,raw,value,text,valid,crc");
    EXPECT_EQ(QString::fromLocal8Bit(recorder.readAllStandardError()),
        QStringLiteral("k740-position: k740 ended the stream\nk740-position: %1 rows written, 0 cycles missed\n")
            .arg(rows.size()));
    EXPECT_EQ(rows[0].section(',', 0, 0), "0.000000");
    // No cycle missing; one row without a frame for the loss, then a gap;
    // the counts read where the encoder was at 2000 counts per second (the
    // reply's time is the program's, so a busy machine shifts some rows by
    // some ms: the median of the differences counts).
    int invalid = 0;
    QStringList lastValid;
    std::vector<double> offTime; // |counts moved - 2000 x seconds passed| between valid rows
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
            offTime.push_back(std::abs(
                f[2].toDouble() - lastValid[2].toDouble() - 2000 * (f[0].toDouble() - lastValid[0].toDouble())));
        }
        lastValid = f;
    }
    EXPECT_EQ(invalid, 1);
    ASSERT_GT(offTime.size(), 100u);
    std::nth_element(offTime.begin(), offTime.begin() + offTime.size() / 2, offTime.end());
    EXPECT_LT(offTime[offTime.size() / 2], 10); // 5 ms
}

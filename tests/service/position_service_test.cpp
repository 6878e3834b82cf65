// The position service over a private session bus (the tests run under
// dbus-run-session): the real program against k740-sim, asked directly and
// through k740-position.
#include "service/position_service_names.h"
#include "service/service_calls.h"
#include "support/e2e_harness.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace Names = k740::position_service;

namespace {

// A rotary encoder of 5760 counts shown in degrees on a counting interface.
const char kRotaryIni[] = "[K740.vcom0]\nRotary=1\nCPR=5760\nDegrees=1\n";

// Records PropertiesChanged of the service.
class PropertiesWatcher : public QObject {
    Q_OBJECT
public:
    QVariantMap changed;
public slots:
    void onChanged(const QString&, const QVariantMap& properties, const QStringList&)
    {
        for (auto it = properties.cbegin(); it != properties.cend(); ++it)
            changed.insert(it.key(), it.value());
    }
};

} // namespace

TEST(PositionService, FormsOfARotaryPositionAndTheCommands)
{
    QTemporaryDir vports;
    SimulatorProcess sim(vports.path(), "vcom0", {"--encoder", "counter", "--position", "1448"}); // 90.5 degrees
    ASSERT_TRUE(sim.ready());
    ProgramProcess program(kRotaryIni);
    program.start(vports.path(), {"/D"});
    ASSERT_TRUE(WaitForReadOut(Names::kName));

    EXPECT_EQ(Call(Names::kName, "Position", {10}).toInt(), 0x42B50000); // the bits of 90.5f
    EXPECT_EQ(Call(Names::kName, "Position", {4}).toInt(), 905000);
    EXPECT_EQ(Call(Names::kName, "Position", {1}).toInt(), 90500);
    EXPECT_EQ(Call(Names::kName, "PositionText").toString(), QString("90.500°"));
    EXPECT_EQ(Call(Names::kName, "Value").toDouble(), 90.5);
    EXPECT_EQ(Client({"--value"}).out, "90.5");
    // Offscreen windows have no native id (tests/desktop asks under X11).
    EXPECT_EQ(Call(Names::kName, "WindowId"), QVariant(0u));
    EXPECT_EQ(Client({"--form", "10"}).out, "0x42b50000 90.5");
    EXPECT_EQ(Client({"--text"}).out, QString("90.500°"));

    // 0.0625 and 0.1875 degrees: 62.5 and 187.5 thousandths, ties to even.
    for (const auto& [counts, thousandths] : {std::pair{1, 62}, std::pair{3, 188}}) {
        sim.send("position " + QString::number(counts));
        EXPECT_TRUE(QTest::qWaitFor([&] { return Call(Names::kName, "Position", {0}).toInt() == thousandths; }, 5000))
            << counts;
    }

    // The list is shown (/D): a capture adds the read-out; ZERO is there.
    EXPECT_TRUE(Call(Names::kName, "Capture").toBool());
    EXPECT_EQ(
        Call(Names::kName, "Captures").toStringList(), QStringList({Call(Names::kName, "PositionText").toString()}));
    EXPECT_TRUE(Call(Names::kName, "Zero").toBool());
    EXPECT_TRUE(QTest::qWaitFor([&] { return Call(Names::kName, "PositionText").toString() == "0.000°"; }, 5000));
}

TEST(PositionService, LinearEncoderGivesZeroButItsValueAndConnectionChangesAreAnnounced)
{
    QTemporaryDir vports;
    SimulatorProcess sim(vports.path(), "vcom0", {"--encoder", "counter", "--position", "4711"});
    ASSERT_TRUE(sim.ready());
    ProgramProcess program; // linear, millimetres; no capture list
    program.start(vports.path(), {});
    ASSERT_TRUE(WaitForReadOut(Names::kName));
    for (int form : {0, 4, 10})
        EXPECT_EQ(Call(Names::kName, "Position", {form}).toInt(), 0) << form;
    EXPECT_TRUE(Call(Names::kName, "PositionText").toString().startsWith("4.711"));
    EXPECT_EQ(Client({"--value"}).out, "4.711"); // Value: in the read-out's own unit
    EXPECT_FALSE(Call(Names::kName, "Capture").toBool());
    EXPECT_TRUE(Call(Names::kName, "Captures").toStringList().isEmpty());
    EXPECT_EQ(Property(Names::kName, "Port").toString(), "vcom0");
    EXPECT_TRUE(Property(Names::kName, "Identity").toString().startsWith("K740-9Q"));
    EXPECT_EQ(Property(Names::kName, "Polling"), QVariant(true));

    PropertiesWatcher watcher;
    ASSERT_TRUE(QDBusConnection::sessionBus().connect(Names::kName, Names::kPath, "org.freedesktop.DBus.Properties",
        "PropertiesChanged", &watcher, SLOT(onChanged(QString, QVariantMap, QStringList))));
    sim.send("unplug");
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.changed.value("Connected") == QVariant(false); }, 5000));
    EXPECT_EQ(watcher.changed.value("Port").toString(), "");
    EXPECT_EQ(watcher.changed.value("Polling"), QVariant(false));
    watcher.changed.clear();
    sim.send("replug");
    EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.changed.value("Connected") == QVariant(true); }, 10000));
    EXPECT_EQ(watcher.changed.value("Port").toString(), "vcom0");
}

// The first log write fails (the log is a FIFO) and its message box holds
// polling up: the service says so instead of answering the last position.
TEST(PositionService, PausedPollingGivesNoStalePosition)
{
    QTemporaryDir vports;
    SimulatorProcess sim(vports.path(), "vcom0", {"--encoder", "counter", "--speed", "500"});
    ASSERT_TRUE(sim.ready());
    ProgramProcess program;
    ASSERT_EQ(::mkfifo(QFile::encodeName(program.folder() + "/K740_vcom0.LOG").constData(), 0600), 0);
    program.start(vports.path(), {"/A"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return Property(Names::kName, "Connected") == QVariant(true); }, 15000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Property(Names::kName, "Polling") == QVariant(false); }, 5000));

    QDBusMessage call = QDBusMessage::createMethodCall(Names::kName, Names::kPath, Names::kInterface, "Position");
    call << 0;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    EXPECT_EQ(reply.errorName(), Names::kNotPollingError);
    for (const QStringList& arguments : {QStringList(), QStringList{"--text"}}) {
        const ClientRun run = Client(arguments);
        EXPECT_EQ(run.exitCode, 3) << run.err.toStdString() << arguments.join(" ").toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.count(QChar(10)), 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("polling is paused")) << run.err.toStdString();
    }
}

TEST(PositionService, TwoCopiesAreReachedByTheirProcessIds)
{
    QTemporaryDir vports;
    SimulatorProcess simA(vports.path(), "vcom0", {"--encoder", "counter", "--position", "1000", "--serial2", "111"});
    SimulatorProcess simB(vports.path(), "vcom1", {"--encoder", "counter", "--position", "2000", "--serial2", "222"});
    ASSERT_TRUE(simA.ready() && simB.ready());
    ProgramProcess first, second;
    first.start(vports.path(), {"/R=111"});
    ASSERT_TRUE(WaitForReadOut(Names::NameOfProcess(first.processId())));
    second.start(vports.path(), {"/R=222"});
    ASSERT_TRUE(WaitForReadOut(Names::NameOfProcess(second.processId())));

    const QString pidB = QString::number(second.processId());
    EXPECT_TRUE(Client({"--pid", pidB, "--text"}).out.startsWith("2.000"));
    EXPECT_TRUE(Client({"--text"}).out.startsWith("1.000")); // the first copy owns the common name
    const QStringList list = Client({"--list"}).out.split('\n');
    ASSERT_EQ(list.size(), 2) << list.join('|').toStdString();
    EXPECT_TRUE(list.contains("*" + QString::number(first.processId()) + "\tvcom0\tK740-9Q V1.17"));
    EXPECT_TRUE(list.contains(pidB + "\tvcom1\tK740-9Q V1.17"));

    const ClientRun nobody = Client({"--pid", "999999999", "--text"});
    EXPECT_EQ(nobody.exitCode, 2);
    EXPECT_EQ(nobody.err.count('\n'), 0);
    EXPECT_TRUE(nobody.err.contains("no copy of k740 answers"));

    // When the first copy ends, the second takes over the common name.
    ASSERT_TRUE(first.terminate());
    EXPECT_TRUE(QTest::qWaitFor([] { return Client({"--text"}).out.startsWith("2.000"); }, 5000));
}

TEST(PositionService, WithoutABusTheProgramRunsAndSaysSoOnce)
{
    const QString noBus = "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/k740-bus";
    QTemporaryDir vports;
    SimulatorProcess sim(vports.path(), "vcom0", {"--encoder", "counter"});
    ASSERT_TRUE(sim.ready());
    ProgramProcess program;
    program.start(vports.path(), {"/A"}, {noBus});
    EXPECT_TRUE(program.waitForLines("K740_vcom0.LOG", 2, 15000));
    EXPECT_EQ(program.stderrText().count("the position service (org.k740.Desktop) is off"), 1)
        << program.stderrText().toStdString();
    EXPECT_TRUE(program.terminate());

    const ClientRun client = Client({"--text"}, {noBus});
    EXPECT_EQ(client.exitCode, 2);
    EXPECT_FALSE(client.err.isEmpty());
}

#include "position_service_test.moc"

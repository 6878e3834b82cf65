// The read-out as a screen reader reads it, through AT-SPI (at-spi2-core,
// started on the test's private session bus) with the program on Xvfb: its
// text is the read-out's and current whenever it is asked, and three
// seconds of a moving encoder raise a few announcements a second, none of
// them from a hidden widget.
#include "e2e/desktop_session.h"
#include "e2e/e2e_harness.h"
#include "platform/position_service_names.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

namespace Names = k740::position_service;

namespace {

const QString kProbe = K740_TEST_SOURCE_DIR "/desktop/read_out_atspi.py";

// A python3 that has the AT-SPI bindings (gir1.2-atspi-2.0, python3-gi).
QString PythonWithAtspi()
{
    for (const QString& python : {QString("/usr/bin/python3"), QStandardPaths::findExecutable("python3")}) {
        QProcess check;
        check.start(python, {"-c", "import gi; gi.require_version('Atspi', '2.0')"});
        if (check.waitForFinished(10000) && check.exitStatus() == QProcess::NormalExit && check.exitCode() == 0)
            return python;
    }
    return {};
}

struct Label {
    QString path;
    bool showing;
    QString name, text;
};

QString PositionText()
{
    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(Names::kName, Names::kPath, Names::kInterface, "PositionText"), QDBus::Block,
        5000);
    return reply.arguments().value(0).toString();
}

class ReadOutAtspiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!desktop.problem().isEmpty())
            GTEST_SKIP() << "no X display: " << desktop.problem().toStdString();
        if (!QFile::exists("/usr/libexec/at-spi-bus-launcher"))
            GTEST_SKIP() << "at-spi2-core is not installed (scripts/install-deps installs it)";
        python = PythonWithAtspi();
        if (python.isEmpty())
            GTEST_SKIP() << "python3 with gir1.2-atspi-2.0 is missing (scripts/install-deps installs it)";
    }
    QStringList probe(const QStringList& arguments)
    {
        QProcess run;
        run.start(python, QStringList{kProbe} + arguments);
        run.waitForFinished(30000);
        return QString::fromUtf8(run.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }
    QList<Label> labels(qint64 pid)
    {
        QList<Label> found;
        for (const QString& line : probe({"texts", QString::number(pid)})) {
            const QStringList fields = line.split('\t');
            if (fields.size() == 4)
                found.append({fields[0], fields[1] == "1", fields[2], fields[3]});
        }
        return found;
    }

    DesktopSession desktop{QSize(1024, 600), WindowManager::None};
    QString python;
    QTemporaryDir ports;
};

} // namespace

TEST_F(ReadOutAtspiTest, ReadsTheReadOutAndHearsAFewAnnouncementsASecond)
{
    SimulatorProcess sim(
        ports.path(), "vcom0", {"--kind", "S", "--encoder", "ssi", "--bits", "24", "--position", "5084"});
    ASSERT_TRUE(sim.ready());
    ProgramProcess program;
    ASSERT_NE(desktop.openProgram(program, ports.path(), {}, {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"}), 0u);
    ASSERT_TRUE(sim.waitForPolls());

    const QString still = PositionText();
    ASSERT_EQ(still, "5.084");
    QString readOut;
    for (const Label& label : labels(program.processId())) {
        if (label.text == still) {
            readOut = label.path;
            EXPECT_TRUE(label.showing);
            EXPECT_EQ(label.name, still);
        }
    }
    ASSERT_FALSE(readOut.isEmpty()) << "no label reads " << still.toStdString();

    QProcess listener;
    listener.start(python, {kProbe, "events", QString::number(program.processId()), "3"});
    ASSERT_TRUE(listener.waitForReadyRead(15000));
    ASSERT_EQ(listener.readLine().trimmed(), "listening");
    sim.send("speed 20000");
    ASSERT_TRUE(listener.waitForFinished(15000));
    sim.send("speed 0");
    int total = 0;
    int fromReadOut = 0;
    QStringList hidden;
    for (const QString& line : QString::fromUtf8(listener.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split('\t');
        ++total;
        fromReadOut += fields.value(1) == readOut;
        if (fields.value(2) == "0")
            hidden << line;
    }
    // Every 250 ms at most: about 12 in 3 s.
    EXPECT_GE(fromReadOut, 3);
    EXPECT_LE(fromReadOut, 15);
    EXPECT_LE(total, 20);
    EXPECT_TRUE(hidden.isEmpty()) << hidden.join('\n').toStdString();

    // Stopped, the text read is the position now shown.
    QThread::msleep(500);
    const QString stopped = PositionText();
    EXPECT_NE(stopped, still);
    bool read = false;
    for (const Label& label : labels(program.processId()))
        read = read || (label.path == readOut && label.text == stopped);
    EXPECT_TRUE(read) << "the read-out's text is not " << stopped.toStdString();
    EXPECT_TRUE(program.terminate());
}

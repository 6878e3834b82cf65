// The read-out as a screen reader reads it, through AT-SPI (at-spi2-core,
// started on the test's private session bus; the program on Xvfb): its text
// is the read-out's and current whenever it is asked, and three seconds of a
// moving encoder raise a few announcements a second, none of them from a
// hidden widget.
#include "service/position_service_names.h"
#include "support/desktop_session.h"
#include "support/e2e_harness.h"
#include "support/missing_tools.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

namespace Names = k740::position_service;

namespace {

const QString kProbe = K740_TEST_SOURCE_DIR "/desktop/read_out_atspi.py";

// Debian's python3 with the AT-SPI bindings (gir1.2-atspi-2.0, python3-gi).
const QString kPython = "/usr/bin/python3";
bool AtspiInstalled()
{
    QProcess check;
    check.start(kPython, {"-c", "import gi; gi.require_version('Atspi', '2.0')"});
    return check.waitForFinished(10000) && check.exitStatus() == QProcess::NormalExit && check.exitCode() == 0
        && QFile::exists("/usr/libexec/at-spi-bus-launcher");
}

QString PositionText()
{
    return QDBusConnection::sessionBus()
        .call(QDBusMessage::createMethodCall(Names::kName, Names::kPath, Names::kInterface, "PositionText"))
        .arguments()
        .value(0)
        .toString();
}

// The probe's lines, split at tabs.
QList<QStringList> Lines(QProcess& probe)
{
    QList<QStringList> lines;
    for (const QString& line : QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts))
        lines << line.split('\t');
    return lines;
}

} // namespace

TEST(ReadOutAtspi, ReadsTheReadOutAndHearsAFewAnnouncementsASecond)
{
    DesktopSession desktop(QSize(1024, 600), WindowManager::None);
    if (!desktop.problem().isEmpty())
        K740_SKIP_WITHOUT_TOOLS(("no X display: " + desktop.problem()).toStdString());
    if (!AtspiInstalled())
        K740_SKIP_WITHOUT_TOOLS(
            "at-spi2-core, gir1.2-atspi-2.0 or python3-gi is missing (scripts/install-deps installs them)");
    QTemporaryDir ports;
    SimulatorProcess sim(
        ports.path(), "vcom0", {"--kind", "S", "--encoder", "ssi", "--bits", "24", "--position", "5084"});
    ASSERT_TRUE(sim.ready());
    ProgramProcess program;
    ASSERT_NE(desktop.openProgram(program, ports.path(), {}, {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1"}), 0u);
    ASSERT_TRUE(sim.waitForPolls());
    const QString pid = QString::number(program.processId());
    // The object path of the label that reads `text`, shown and named by it.
    const auto readOut = [&](const QString& text) {
        QProcess probe;
        probe.start(kPython, {kProbe, "texts", pid});
        probe.waitForFinished(30000);
        for (const QStringList& label : Lines(probe)) {
            if (label.value(3) == text && label.value(2) == text && label.value(1) == "1")
                return label.value(0);
        }
        return QString();
    };
    const QString still = PositionText();
    ASSERT_EQ(still, "5.084");
    const QString path = readOut(still);
    ASSERT_FALSE(path.isEmpty());

    QProcess listener;
    listener.start(kPython, {kProbe, "events", pid, "3"});
    ASSERT_TRUE(listener.waitForReadyRead(15000));
    ASSERT_EQ(listener.readLine().trimmed(), "listening");
    sim.send("speed 20000");
    ASSERT_TRUE(listener.waitForFinished(15000));
    sim.send("speed 0");
    const QList<QStringList> events = Lines(listener);
    const auto count = [&](int field, const QString& value) {
        return std::count_if(
            events.begin(), events.end(), [&](const QStringList& e) { return e.value(field) == value; });
    };
    // At most one every 250 ms: about 12; without throttling some 160, and
    // the hidden reply label's some 280 more.
    EXPECT_GE(count(1, path), 3);
    EXPECT_LE(count(1, path), 15);
    EXPECT_LE(events.size(), 20);
    EXPECT_EQ(count(2, "0"), 0) << "events of hidden widgets";

    // Stopped, the text read is the position now shown.
    QThread::msleep(500);
    const QString stopped = PositionText();
    EXPECT_NE(stopped, still);
    EXPECT_EQ(readOut(stopped), path);
    EXPECT_TRUE(program.terminate());
}

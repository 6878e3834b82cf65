// The program on screens other than an office monitor, as a desktop user
// meets it: panel PCs of 1024 x 600 and 800 x 480, a screen scaled by 1.5
// and 2, a stored position off every screen, a monitor that is gone. The
// window and the settings dialog stay inside the screen with their limits
// in order and their buttons within reach; the stored position stays in the
// file until the user moves the window.
#include "e2e/desktop_session.h"
#include "e2e/e2e_harness.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

const QString kMain = "K740 USB Encoder Interface";
const QString kDialog = "K740 Settings";
const QStringList kSsi{"--kind", "S", "--encoder", "ssi", "--bits", "13"};

int IniValue(const QString& ini, const QString& key)
{
    const QRegularExpressionMatch m
        = QRegularExpression("^" + key + R"(=(-?\d+)\r?$)", QRegularExpression::MultilineOption).match(ini);
    return m.hasMatch() ? m.captured(1).toInt() : -99999;
}

std::string Text(const QRect& r)
{
    return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

class SmallScreensTest : public ::testing::Test {
protected:
    void start(QSize size, WindowManager manager = WindowManager::Openbox)
    {
        desktop = std::make_unique<DesktopSession>(size, manager);
        if (!desktop->problem().isEmpty())
            GTEST_SKIP() << "no desktop: " << desktop->problem().toStdString();
        screen = QRect(QPoint(0, 0), size);
    }
    qulonglong open(ProgramProcess& program, const QStringList& arguments, const QStringList& environment = {})
    {
        return desktop->openProgram(program, ports.path(), arguments, environment);
    }
    // The window inside the screen, its limits in order and within the
    // screen. A fractional scale may round the frame a pixel outward.
    void expectFits(qulonglong window, const std::string& what, int slack = 0)
    {
        const QRect outer = desktop->settledOuterBounds(window);
        EXPECT_TRUE(screen.adjusted(-slack, -slack, slack, slack).contains(outer)) << what << ": " << Text(outer);
        const SizeLimits limits = desktop->sizeLimits(window);
        if (limits.maximum.isEmpty())
            return;
        const QSize frame = outer.size() - desktop->clientBounds(window).size();
        EXPECT_LE(limits.minimum.height(), limits.maximum.height()) << what;
        EXPECT_LE(limits.minimum.width(), limits.maximum.width()) << what;
        EXPECT_LE(limits.maximum.height() + frame.height(), screen.height() + slack) << what;
        EXPECT_LE(limits.maximum.width() + frame.width(), screen.width() + slack) << what;
    }
    // Opens the settings dialog from the summary, and the SSI diagram from
    // its "?", and closes both with a click on Cancel, which keeps its
    // distance from the dialog's bottom right corner at every size;
    // `screenshot` takes a picture of the dialog first. Distances in the
    // window are multiplied by the screen's `scale`.
    void dialogFitsAndCancels(
        qulonglong window, const std::string& what, const QString& screenshot = {}, double scale = 1)
    {
        const QRect main = desktop->clientBounds(window);
        desktop->doubleClick({main.left() + int(500 * scale), main.bottom() - 10});
        const qulonglong dialog = desktop->findWindow(kDialog, 5000);
        ASSERT_NE(dialog, 0u) << what;
        const QRect outer = desktop->settledOuterBounds(dialog);
        const int slack = scale == int(scale) ? 0 : 1;
        EXPECT_TRUE(screen.adjusted(-slack, -slack, slack, slack).contains(outer))
            << what << ": dialog " << Text(outer);
        if (!screenshot.isEmpty())
            desktop->screenshot(screenshot);
        const QRect client = desktop->clientBounds(dialog);
        desktop->click(client.topLeft() + QPoint(402, 238) * scale);
        const qulonglong diagram = desktop->findWindow("SSI Timing Diagram", 5000);
        ASSERT_NE(diagram, 0u) << what;
        const QRect shown = desktop->settledOuterBounds(diagram);
        EXPECT_TRUE(screen.adjusted(-slack, -slack, slack, slack).contains(shown))
            << what << ": diagram " << Text(shown);
        desktop->click(client.bottomRight() - QPoint(433 - 381, 19 + 16 + 12) * scale);
        EXPECT_TRUE(desktop->windowGone(kDialog)) << what << ": Cancel out of reach";
        EXPECT_TRUE(desktop->windowGone("SSI Timing Diagram")) << what;
    }

    std::unique_ptr<DesktopSession> desktop;
    QRect screen;
    QTemporaryDir ports;
};

} // namespace

// K740_SCREENSHOTS names a folder for pictures of the 800 x 480 window and dialog.
TEST_F(SmallScreensTest, PanelScreensHoldTheWindowAndTheDialogPlainAndWithS)
{
    const QString shots = qEnvironmentVariable("K740_SCREENSHOTS");
    for (const QSize size : {QSize(1024, 600), QSize(800, 480)}) {
        start(size);
        if (HasFatalFailure() || IsSkipped())
            return;
        const std::string at = std::to_string(size.width()) + "x" + std::to_string(size.height());
        SimulatorProcess sim(ports.path(), "vcom0", kSsi + QStringList{"--speed", "2000"});
        ASSERT_TRUE(sim.ready());
        ProgramProcess program;
        qulonglong window = open(program, {});
        ASSERT_NE(window, 0u) << at;
        ASSERT_TRUE(sim.waitForPolls()) << at;
        expectFits(window, at);
        const bool pictures = !shots.isEmpty() && size.width() == 800;
        if (pictures)
            desktop->screenshot(shots + "/main-window-800x480.png");
        dialogFitsAndCancels(window, at, pictures ? shots + "/settings-dialog-800x480.png" : QString());
        ASSERT_TRUE(program.terminate());

        window = open(program, {"/S"});
        ASSERT_NE(window, 0u) << at << " /S";
        ASSERT_TRUE(sim.waitForPolls()) << at;
        expectFits(window, at + " /S");
        // The designed height where it fits.
        EXPECT_EQ(desktop->outerBounds(window).height(), std::min(512, size.height())) << at;
        dialogFitsAndCancels(window, at + " /S");
        ASSERT_TRUE(program.terminate());
    }
}

TEST_F(SmallScreensTest, ScaledScreensHoldTheWindowAndTheDialog)
{
    start(QSize(1600, 900));
    if (IsSkipped())
        return;
    SimulatorProcess sim(ports.path(), "vcom0", kSsi);
    ASSERT_TRUE(sim.ready());
    for (const QString scale : {"1.5", "2"}) {
        const std::string at = "scale " + scale.toStdString();
        ProgramProcess program;
        const qulonglong window = open(program, {}, {"QT_SCALE_FACTOR=" + scale});
        ASSERT_NE(window, 0u) << at;
        ASSERT_TRUE(sim.waitForPolls()) << at;
        expectFits(window, at, scale == "2" ? 0 : 1);
        dialogFitsAndCancels(window, at, {}, scale.toDouble());
        ASSERT_TRUE(program.terminate());
    }
}

// With and without a window manager: the window shows whole on the screen,
// and the file keeps the stored position while the window is not moved.
TEST_F(SmallScreensTest, StoredPositionOffEveryScreenIsBroughtBackAndKept)
{
    for (const WindowManager manager : {WindowManager::None, WindowManager::Openbox}) {
        start(QSize(1600, 900), manager);
        if (IsSkipped())
            return;
        const std::string at = manager == WindowManager::None ? "no window manager" : "openbox";
        SimulatorProcess sim(ports.path(), "vcom0", kSsi);
        ASSERT_TRUE(sim.ready());
        ProgramProcess program("[K740.vcom0]\nPosition_Left=3000\nPosition_Top=1500\nPosition_Width=1000\n"
                               "Position_Height=500\n");
        const qulonglong window = open(program, {"/E"});
        ASSERT_NE(window, 0u) << at;
        ASSERT_TRUE(sim.waitForPolls()) << at;
        const QRect outer = desktop->settledOuterBounds(window);
        EXPECT_EQ(outer, QRect(600, 400, 1000, 500)) << at << ": " << Text(outer);
        ASSERT_TRUE(program.terminate());
        const QString ini = program.file("K740.INI");
        EXPECT_EQ(IniValue(ini, "Position_Left"), 3000) << at;
        EXPECT_EQ(IniValue(ini, "Position_Top"), 1500) << at;
    }
}

// Two monitors side by side (RandR monitors on one screen); the window
// stored on the right one opens there, and on the left one once the right
// one is gone.
TEST_F(SmallScreensTest, WindowOnAMonitorThatIsGoneOpensOnTheOneLeft)
{
    if (QStandardPaths::findExecutable("xrandr").isEmpty())
        GTEST_SKIP() << "xrandr is not installed (scripts/install-deps installs it)";
    start(QSize(3200, 900));
    if (IsSkipped())
        return;
    // openbox keeps the display open, so the monitors stay defined.
    desktop->run("xrandr", {"--setmonitor", "left", "1600/423x900/238+0+0", "screen"});
    desktop->run("xrandr", {"--setmonitor", "right", "1600/423x900/238+1600+0", "none"});
    ASSERT_TRUE(desktop->run("xrandr", {"--listmonitors"}).contains("Monitors: 2"));
    SimulatorProcess sim(ports.path(), "vcom0", kSsi);
    ASSERT_TRUE(sim.ready());
    ProgramProcess program("[K740.vcom0]\nPosition_Left=1700\nPosition_Top=100\nPosition_Width=1200\n"
                           "Position_Height=500\n");
    qulonglong window = open(program, {"/E"});
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(sim.waitForPolls());
    EXPECT_EQ(desktop->settledOuterBounds(window), QRect(1700, 100, 1200, 500));
    ASSERT_TRUE(program.terminate());

    desktop->run("xrandr", {"--delmonitor", "right"});
    window = open(program, {"/E"});
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(sim.waitForPolls());
    EXPECT_EQ(desktop->settledOuterBounds(window), QRect(400, 100, 1200, 500));
    ASSERT_TRUE(program.terminate());
    EXPECT_EQ(IniValue(program.file("K740.INI"), "Position_Left"), 1700);
}

// Without a window manager nothing gives new windows the keyboard: the
// timing-diagram window takes it itself, so that Esc closes the diagram and
// not the settings dialog beneath it.
TEST_F(SmallScreensTest, TimingDiagramTakesTheKeyboardWithoutAWindowManager)
{
    start(QSize(1600, 900), WindowManager::None);
    if (IsSkipped())
        return;
    SimulatorProcess sim(ports.path(), "vcom0", kSsi);
    ASSERT_TRUE(sim.ready());
    ProgramProcess program;
    const qulonglong window = open(program, {});
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(sim.waitForPolls());
    const QRect main = desktop->clientBounds(window);
    desktop->doubleClick({main.left() + 500, main.bottom() - 10});
    const qulonglong dialog = desktop->findWindow(kDialog, 5000);
    ASSERT_NE(dialog, 0u);
    desktop->click(desktop->clientBounds(dialog).topLeft() + QPoint(402, 238));
    const qulonglong diagram = desktop->findWindow("SSI Timing Diagram", 5000);
    ASSERT_NE(diagram, 0u);
    EXPECT_EQ(desktop->run("xdotool", {"getwindowfocus"}).trimmed().toULongLong(), diagram);
    desktop->run("xdotool", {"key", "Escape"});
    EXPECT_TRUE(desktop->windowGone("SSI Timing Diagram"));
    EXPECT_NE(desktop->findWindow(kDialog, 1000), 0u) << "Esc closed the settings dialog";
    desktop->key(dialog, "Escape");
    EXPECT_TRUE(desktop->windowGone(kDialog));
    EXPECT_TRUE(program.terminate());
}

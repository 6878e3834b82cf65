// The program on screens other than an office monitor: panel PCs of
// 1024 x 600 and 800 x 480, a screen scaled by 1.5 and 2, a stored position
// off every screen, a monitor that is gone. The window, the settings dialog
// and the timing diagram stay inside the screen with their limits in order
// and their buttons within reach; a stored position stays in the file.
#include "support/desktop_session.h"
#include "support/e2e_harness.h"
#include "support/missing_tools.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

const QString kDialog = "K740 Settings";
const QString kDiagram = "SSI Timing Diagram";
const QStringList kSsi{"--kind", "S", "--encoder", "ssi", "--bits", "13"};

class SmallScreensTest : public ::testing::Test {
protected:
    bool start(QSize size, WindowManager manager = WindowManager::Openbox)
    {
        desktop = std::make_unique<DesktopSession>(size, manager);
        screen = QRect(QPoint(0, 0), size);
        return desktop->problem().isEmpty();
    }
    qulonglong open(ProgramProcess& program, const QStringList& arguments, const QStringList& environment = {})
    {
        return desktop->openProgram(program, ports.path(), arguments, environment);
    }
    // A fractional scale may round a frame a pixel outward.
    bool onScreen(qulonglong window, int slack) const
    {
        return screen.adjusted(-slack, -slack, slack, slack).contains(desktop->settledOuterBounds(window));
    }
    // The window on the screen with its limits in order and within it; the
    // settings dialog (opened from the summary) and the SSI diagram (from
    // its "?") on the screen too, until Cancel, which keeps its distance
    // from the dialog's bottom right corner, closes both. Without a window
    // manager the diagram takes the keyboard: Esc closes it alone. Distances
    // in the window are multiplied by `scale`; `shots` names a folder for
    // pictures of the window and the dialog.
    void checkWindowAndDialog(qulonglong window, const std::string& what, double scale = 1, const QString& shots = {})
    {
        const int slack = scale == int(scale) ? 0 : 1;
        EXPECT_TRUE(onScreen(window, slack)) << what;
        const SizeLimits limits = desktop->sizeLimits(window);
        const QSize frame = desktop->outerBounds(window).size() - desktop->clientBounds(window).size();
        if (!limits.maximum.isEmpty()) {
            EXPECT_LE(limits.minimum.height(), limits.maximum.height()) << what;
            EXPECT_LE(limits.maximum.height() + frame.height(), screen.height() + slack) << what;
        }
        if (!shots.isEmpty())
            desktop->screenshot(shots + "/main-window-800x480.png");
        const QRect main = desktop->clientBounds(window);
        desktop->doubleClick({main.left() + int(500 * scale), main.bottom() - 10});
        const qulonglong dialog = desktop->findWindow(kDialog, 5000);
        ASSERT_NE(dialog, 0u) << what;
        EXPECT_TRUE(onScreen(dialog, slack)) << what;
        if (!shots.isEmpty())
            desktop->screenshot(shots + "/settings-dialog-800x480.png");
        const QRect client = desktop->clientBounds(dialog);
        desktop->click(client.topLeft() + QPoint(402, 238) * scale);
        const qulonglong diagram = desktop->findWindow(kDiagram, 5000);
        ASSERT_NE(diagram, 0u) << what;
        EXPECT_TRUE(onScreen(diagram, slack)) << what;
        if (!desktop->hasWindowManager()) {
            EXPECT_EQ(desktop->run("xdotool", {"getwindowfocus"}).trimmed().toULongLong(), diagram) << what;
            desktop->run("xdotool", {"key", "Escape"});
            EXPECT_TRUE(desktop->windowGone(kDiagram)) << what;
            EXPECT_NE(desktop->findWindow(kDialog, 1000), 0u) << what << ": Esc closed the dialog";
        }
        desktop->click(client.bottomRight() - QPoint(433 - 381, 19 + 16 + 12) * scale);
        EXPECT_TRUE(desktop->windowGone(kDialog)) << what << ": Cancel out of reach";
        EXPECT_TRUE(desktop->windowGone(kDiagram)) << what;
    }

    std::unique_ptr<DesktopSession> desktop;
    QRect screen;
    QTemporaryDir ports;
};

} // namespace

// K740_SCREENSHOTS names a folder for pictures of the 800 x 480 window and dialog.
TEST_F(SmallScreensTest, PanelScreensHoldTheWindowAndTheDialogPlainAndWithS)
{
    for (const QSize size : {QSize(1024, 600), QSize(800, 480)}) {
        if (!start(size)) {
            K740_SKIP_WITHOUT_TOOLS(("no desktop: " + desktop->problem()).toStdString());
        }
        const std::string at = std::to_string(size.width()) + "x" + std::to_string(size.height());
        SimulatorProcess sim(ports.path(), "vcom0", kSsi + QStringList{"--speed", "2000"});
        ASSERT_TRUE(sim.ready());
        for (const QString option : {"", "/S"}) {
            ProgramProcess program;
            const qulonglong window = open(program, option.isEmpty() ? QStringList() : QStringList{option});
            ASSERT_NE(window, 0u) << at;
            ASSERT_TRUE(sim.waitForPolls()) << at;
            const bool shots = size.width() == 800 && option.isEmpty();
            checkWindowAndDialog(
                window, at + option.toStdString(), 1, shots ? qEnvironmentVariable("K740_SCREENSHOTS") : QString());
            // With "/S" the designed height where it fits.
            EXPECT_EQ(desktop->outerBounds(window).height() == std::min(512, size.height()), !option.isEmpty()) << at;
            ASSERT_TRUE(program.terminate());
        }
    }
}

TEST_F(SmallScreensTest, ScaledScreensHoldTheWindowAndTheDialog)
{
    if (!start(QSize(1600, 900))) {
        K740_SKIP_WITHOUT_TOOLS(("no desktop: " + desktop->problem()).toStdString());
    }
    SimulatorProcess sim(ports.path(), "vcom0", kSsi);
    ASSERT_TRUE(sim.ready());
    for (const QString scale : {"1.5", "2"}) {
        ProgramProcess program;
        const qulonglong window = open(program, {}, {"QT_SCALE_FACTOR=" + scale});
        ASSERT_NE(window, 0u) << scale.toStdString();
        ASSERT_TRUE(sim.waitForPolls());
        checkWindowAndDialog(window, "scale " + scale.toStdString(), scale.toDouble());
        ASSERT_TRUE(program.terminate());
    }
}

// With and without a window manager the window shows whole on the screen,
// and the file keeps the stored position while the window is not moved.
TEST_F(SmallScreensTest, StoredPositionOffEveryScreenIsBroughtBackAndKept)
{
    for (const WindowManager manager : {WindowManager::None, WindowManager::Openbox}) {
        if (!start(QSize(1600, 900), manager)) {
            K740_SKIP_WITHOUT_TOOLS(("no desktop: " + desktop->problem()).toStdString());
        }
        const std::string at = manager == WindowManager::None ? "no window manager" : "openbox";
        SimulatorProcess sim(ports.path(), "vcom0", kSsi);
        ASSERT_TRUE(sim.ready());
        ProgramProcess program("[K740.vcom0]\nPosition_Left=3000\nPosition_Top=1500\nPosition_Width=1000\n"
                               "Position_Height=500\n");
        const qulonglong window = open(program, {"/E"});
        ASSERT_NE(window, 0u) << at;
        ASSERT_TRUE(sim.waitForPolls()) << at;
        EXPECT_EQ(desktop->settledOuterBounds(window), QRect(600, 400, 1000, 500)) << at;
        checkWindowAndDialog(window, at);
        ASSERT_TRUE(program.terminate());
        const QString ini = program.file("K740.INI");
        EXPECT_EQ(IniValue(ini, "Position_Left"), 3000) << at;
        EXPECT_EQ(IniValue(ini, "Position_Top"), 1500) << at;
    }
}

// Two RandR monitors side by side: the window stored on the right one opens
// there, and on the left one once the right one is gone.
TEST_F(SmallScreensTest, WindowOnAMonitorThatIsGoneOpensOnTheOneLeft)
{
    if (QStandardPaths::findExecutable("xrandr").isEmpty())
        K740_SKIP_WITHOUT_TOOLS("xrandr is not installed (scripts/install-deps installs it)");
    if (!start(QSize(3200, 900))) {
        K740_SKIP_WITHOUT_TOOLS(("no desktop: " + desktop->problem()).toStdString());
    }
    // openbox keeps the display open, so the monitors stay defined.
    desktop->run("xrandr", {"--setmonitor", "left", "1600/423x900/238+0+0", "screen"});
    desktop->run("xrandr", {"--setmonitor", "right", "1600/423x900/238+1600+0", "none"});
    ASSERT_TRUE(desktop->run("xrandr", {"--listmonitors"}).contains("Monitors: 2"));
    SimulatorProcess sim(ports.path(), "vcom0", kSsi);
    ASSERT_TRUE(sim.ready());
    ProgramProcess program("[K740.vcom0]\nPosition_Left=1700\nPosition_Top=100\nPosition_Width=1200\n"
                           "Position_Height=500\n");
    for (const QRect expected : {QRect(1700, 100, 1200, 500), QRect(400, 100, 1200, 500)}) {
        const qulonglong window = open(program, {"/E"});
        ASSERT_NE(window, 0u);
        ASSERT_TRUE(sim.waitForPolls());
        EXPECT_EQ(desktop->settledOuterBounds(window), expected);
        ASSERT_TRUE(program.terminate());
        EXPECT_EQ(IniValue(program.file("K740.INI"), "Position_Left"), 1700);
        desktop->run("xrandr", {"--delmonitor", "right"});
    }
}

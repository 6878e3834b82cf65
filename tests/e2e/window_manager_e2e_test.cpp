// The program on a desktop with a window manager (openbox on Xvfb): its
// bounds are the outer bounds of the frame, minimise and restore leave them,
// layout edit mode restores what it saved, the read-out's place included;
// maximise, full screen and minimise through the window manager.
#include "support/desktop_session.h"
#include "support/e2e_harness.h"
#include "support/missing_tools.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString kTitle = "K740 USB Encoder Interface";
const QSize kScreen(1600, 900);

class WindowManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!desktop.problem().isEmpty())
            K740_SKIP_WITHOUT_TOOLS(("no desktop with a window manager: " + desktop.problem()).toStdString());
    }
    qulonglong open(ProgramProcess& program, const QStringList& arguments)
    {
        return desktop.openProgram(program, ports.path(), arguments);
    }
    // Super+F11, openbox's full-screen toggle in this session; pressed once
    // more if openbox, busy on a loaded machine, let the first one pass.
    bool fullScreen(qulonglong window, bool on)
    {
        for (int attempt = 0; attempt < 2; ++attempt) {
            desktop.chord(window, "super", "F11");
            if (desktop.waitForState(window, "_NET_WM_STATE_FULLSCREEN", on, 3000))
                return true;
        }
        return false;
    }
    // The window manager gave the window other bounds for a while.
    bool movedMeanwhile(qulonglong window, const std::function<void()>& action)
    {
        const QRect before = desktop.clientBounds(window);
        const QList<QRect> bounds = desktop.changesDuring(window, action).bounds;
        return std::any_of(bounds.begin(), bounds.end(), [&](const QRect& b) { return b != before; });
    }

    DesktopSession desktop{kScreen};
    QTemporaryDir ports;
};

} // namespace

TEST_F(WindowManagerTest, WindowOpensAtItsOuterBoundsAndSurvivesMinimiseAndRestore)
{
    ProgramProcess program;
    const qulonglong window = open(program, {});
    ASSERT_NE(window, 0u);
    const QRect client = desktop.clientBounds(window);
    const QRect outer = desktop.outerBounds(window);
    ASSERT_NE(client, outer) << "openbox drew no frame";
    EXPECT_EQ(outer, QRect(0, 170, kScreen.width(), kScreen.height() / 2));

    desktop.run("xdotool", {"windowsize", QString::number(window), "1200", "380"});
    const QRect resized = desktop.settledOuterBounds(window);
    desktop.run("xdotool", {"windowminimize", "--sync", QString::number(window)});
    desktop.run("xdotool", {"windowactivate", "--sync", QString::number(window)});
    EXPECT_EQ(desktop.settledOuterBounds(window), resized);
    EXPECT_TRUE(program.terminate());
}

// The last run ends in full screen: what is stored are the bounds the
// window goes back to.
TEST_F(WindowManagerTest, LayoutEditModeRestoresTheSavedOuterBoundsUnchanged)
{
    SimulatorProcess sim(ports.path(), "vcom0", {"--kind", "S", "--encoder", "ssi", "--bits", "13"});
    ASSERT_TRUE(sim.ready());
    ProgramProcess program("[K740.vcom0]\nPosition_Top=170\nPosition_Left=40\nPosition_Width=1300\n"
                           "Position_Height=500\n");
    for (int run = 0; run < 3; ++run) {
        const qulonglong window = open(program, {"/E"});
        ASSERT_NE(window, 0u);
        ASSERT_TRUE(sim.waitForPolls()) << "run " << run;
        EXPECT_EQ(desktop.settledOuterBounds(window), QRect(40, 170, 1300, 500)) << "run " << run;
        if (run == 2) {
            ASSERT_TRUE(fullScreen(window, true));
        }
        ASSERT_TRUE(program.terminate());
        const QString ini = program.file("K740.INI");
        EXPECT_EQ(IniValue(ini, "Position_Top"), 170) << "run " << run;
        EXPECT_EQ(IniValue(ini, "Position_Left"), 40) << "run " << run;
        EXPECT_EQ(IniValue(ini, "Position_Width"), 1300) << "run " << run;
        EXPECT_EQ(IniValue(ini, "Position_Height"), 500) << "run " << run;
    }
}

TEST_F(WindowManagerTest, ArrowKeysMoveTheReadOutAndTheNextStartRestoresIt)
{
    SimulatorProcess sim(ports.path(), "vcom0", {"--kind", "S", "--encoder", "ssi", "--bits", "13"});
    ASSERT_TRUE(sim.ready());
    ProgramProcess program("[K740.vcom0]\nPosition_Top=170\nPosition_Left=0\nPosition_Width=1400\n"
                           "Position_Height=500\nPanel_Width=600\nPanel_Left=300\nPanel_Top=100\n"
                           "Panel_Height=104\n");
    qulonglong window = open(program, {"/E"});
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(sim.waitForPolls());
    // The read-out's top-left corner is 92 pixels (logo and band) below the client area's.
    const QPoint readOut = desktop.clientBounds(window).topLeft() + QPoint(300, 92 + 100);
    desktop.click(readOut + QPoint(20, 20));
    desktop.key(window, "Right Right Right shift+Down shift+Down");
    ASSERT_TRUE(program.terminate());
    const QString moved = program.file("K740.INI");
    EXPECT_EQ(IniValue(moved, "Panel_Left"), 303);
    EXPECT_EQ(IniValue(moved, "Panel_Top"), 100);
    EXPECT_EQ(IniValue(moved, "Panel_Width"), 600);
    EXPECT_EQ(IniValue(moved, "Panel_Height"), 106);

    window = open(program, {"/E"});
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(sim.waitForPolls());
    ASSERT_TRUE(program.terminate());
    EXPECT_EQ(program.file("K740.INI"), moved);
}

// openbox maximises a window that has no maximise button all the same: the
// program restores it at once, and full screen and back leave its size and
// limits as the user had them.
TEST_F(WindowManagerTest, MaximiseIsRefusedAndFullScreenLeavesSizeAndLimits)
{
    ProgramProcess program;
    const qulonglong window = open(program, {});
    ASSERT_NE(window, 0u);
    desktop.run("xdotool", {"windowsize", QString::number(window), "1200", "380"});
    const QRect resized = desktop.settledOuterBounds(window);
    const SizeLimits limits = desktop.sizeLimits(window);
    ASSERT_FALSE(limits.maximum.isEmpty());

    const std::pair<const char*, std::function<void()>> maximise[] = {
        {"double click on the title", [&] { desktop.doubleClick(desktop.title(window)); }},
        {"maximise button", [&] { desktop.click(desktop.titleButton(window, DesktopSession::TitleButton::Maximise)); }},
    };
    for (const auto& [how, action] : maximise) {
        EXPECT_TRUE(movedMeanwhile(window, action)) << how << ": openbox did not maximise";
        EXPECT_FALSE(desktop.states(window).contains("_NET_WM_STATE_MAXIMIZED_VERT")) << how;
        EXPECT_EQ(desktop.settledOuterBounds(window), resized) << how;
        EXPECT_EQ(desktop.sizeLimits(window), limits) << how;
    }

    ASSERT_TRUE(fullScreen(window, true));
    EXPECT_TRUE(QRect(QPoint(0, 0), kScreen).contains(desktop.settledOuterBounds(window)));
    EXPECT_EQ(desktop.sizeLimits(window), limits);
    ASSERT_TRUE(fullScreen(window, false));
    EXPECT_EQ(desktop.settledOuterBounds(window), resized);
    EXPECT_EQ(desktop.sizeLimits(window), limits);
    EXPECT_TRUE(program.terminate());
}

// Without size limits ("/S") neither a maximise nor full screen leaves the
// window larger than the screen.
TEST_F(WindowManagerTest, KeepDesignSizeStaysOnTheScreen)
{
    ProgramProcess program;
    const qulonglong window = open(program, {"/S"});
    ASSERT_NE(window, 0u);
    const QRect designed(194, 170, 1036, 512);
    ASSERT_EQ(desktop.settledOuterBounds(window), designed);
    const QRect screen(QPoint(0, 0), kScreen);

    EXPECT_TRUE(movedMeanwhile(window, [&] { desktop.doubleClick(desktop.title(window)); }))
        << "openbox did not maximise";
    EXPECT_EQ(desktop.settledOuterBounds(window), designed);
    ASSERT_TRUE(fullScreen(window, true));
    EXPECT_EQ(desktop.settledOuterBounds(window), screen);
    ASSERT_TRUE(fullScreen(window, false));
    EXPECT_EQ(desktop.settledOuterBounds(window), designed);
    EXPECT_EQ(desktop.sizeLimits(window), SizeLimits{});
    EXPECT_TRUE(program.terminate());
}

// The settings dialog and the timing-diagram window offer no minimise and no
// maximise: openbox minimises them all the same, and they come back where
// the user had put them (their first-show layout does not run again).
TEST_F(WindowManagerTest, DialogsComeBackFromMinimisedWhereTheUserPutThem)
{
    SimulatorProcess sim(ports.path(), "vcom0", {"--kind", "S", "--encoder", "ssi", "--bits", "13"});
    ASSERT_TRUE(sim.ready());
    ProgramProcess program;
    const qulonglong window = open(program, {});
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(sim.waitForPolls());
    const QRect client = desktop.clientBounds(window);
    desktop.doubleClick({client.left() + 500, client.bottom() - 10});
    const qulonglong dialog = desktop.findWindow("K740 Settings", 5000);
    ASSERT_NE(dialog, 0u);

    const auto check = [&](qulonglong shown, QPoint place, const char* what) {
        desktop.run(
            "xdotool", {"windowmove", QString::number(shown), QString::number(place.x()), QString::number(place.y())});
        const QRect moved = desktop.settledOuterBounds(shown);
        EXPECT_FALSE(
            desktop.run("xprop", {"-id", QString::number(shown), "_NET_WM_ALLOWED_ACTIONS"}).contains("MAXIMIZE"))
            << what;
        const auto minimise = [&] { desktop.click(desktop.titleButton(shown, DesktopSession::TitleButton::Minimise)); };
        EXPECT_TRUE(desktop.changesDuring(shown, minimise).unmapped) << what << ": openbox did not minimise";
        EXPECT_FALSE(desktop.states(shown).contains("_NET_WM_STATE_HIDDEN")) << what;
        EXPECT_EQ(desktop.settledOuterBounds(shown), moved) << what;
    };
    check(dialog, {40, 60}, "settings dialog");
    desktop.click(desktop.clientBounds(dialog).topLeft() + QPoint(402, 238));
    const qulonglong diagram = desktop.findWindow("SSI Timing Diagram", 5000);
    ASSERT_NE(diagram, 0u) << "the diagram window carries its diagram's name";
    check(diagram, {500, 600}, "timing diagram");

    desktop.click(desktop.clientBounds(dialog).topLeft() + QPoint(381, 669)); // Cancel
    EXPECT_TRUE(desktop.windowGone("K740 Settings"));
    EXPECT_TRUE(desktop.windowGone("SSI Timing Diagram"));
    EXPECT_TRUE(sim.waitForPolls());
    EXPECT_TRUE(program.terminate());
}

// The program on a desktop with a window manager (openbox on Xvfb): its
// bounds are the outer bounds of the frame, minimise and restore leave them,
// and layout edit mode restores what it saved, the read-out's place included.
#include "e2e/desktop_session.h"
#include "e2e/e2e_harness.h"

#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kTitle = "K740 USB Encoder Interface";
const QSize kScreen(1600, 900);

int IniValue(const QString& ini, const QString& key)
{
    const QRegularExpressionMatch m
        = QRegularExpression("^" + key + R"(=(-?\d+)\r?$)", QRegularExpression::MultilineOption).match(ini);
    return m.hasMatch() ? m.captured(1).toInt() : -99999;
}

class WindowManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!desktop.problem().isEmpty())
            GTEST_SKIP() << "no desktop with a window manager: " << desktop.problem().toStdString();
    }
    // Starts the program and waits for its window, framed and settled.
    qulonglong open(ProgramProcess& program, const QStringList& arguments)
    {
        program.start(ports.path(), arguments, {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + desktop.display()});
        const qulonglong window = desktop.findWindow(kTitle);
        if (window)
            desktop.settledOuterBounds(window);
        return window;
    }

    // Waits until the program polls the interface: connected and laid out.
    static bool polling(const SimulatorProcess& sim)
    {
        const auto polls = [&sim] { return sim.receivedCommands().count("?"); };
        const int before = polls();
        return QTest::qWaitFor([&] { return polls() >= before + 3; }, 15000);
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

TEST_F(WindowManagerTest, LayoutEditModeRestoresTheSavedOuterBoundsUnchanged)
{
    SimulatorProcess sim(ports.path(), "vcom0", {"--kind", "S", "--encoder", "ssi", "--bits", "13"});
    ASSERT_TRUE(sim.ready());
    ProgramProcess program("[K740.vcom0]\nPosition_Top=170\nPosition_Left=40\nPosition_Width=1300\n"
                           "Position_Height=500\n");
    for (int run = 0; run < 3; ++run) {
        const qulonglong window = open(program, {"/E"});
        ASSERT_NE(window, 0u);
        ASSERT_TRUE(polling(sim)) << "run " << run;
        EXPECT_EQ(desktop.settledOuterBounds(window), QRect(40, 170, 1300, 500)) << "run " << run;
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
    ASSERT_TRUE(polling(sim));
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
    ASSERT_TRUE(polling(sim));
    ASSERT_TRUE(program.terminate());
    EXPECT_EQ(program.file("K740.INI"), moved);
}

// The program on a Wayland compositor (weston, headless), as GNOME and KDE
// run it by default: it shows its window, connects, polls at its usual rate
// and answers on the session bus; the compositor places the window and tells
// no one where, so layout edit mode keeps the stored position.
#include "desktop/wayland_session.h"
#include "service/position_service_names.h"
#include "support/e2e_harness.h"
#include "support/missing_tools.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace Names = k740::position_service;

namespace {

QVariant Call(const QString& method)
{
    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(Names::kName, Names::kPath, Names::kInterface, method), QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0) : QVariant();
}

int Polls(const SimulatorProcess& sim)
{
    return sim.receivedCommands().count("?");
}

// Whether the screen shows the window's orange band.
bool ShowsTheBand(const QImage& screen)
{
    for (int y = 0; y < screen.height(); y += 4)
        if (screen.pixelColor(screen.width() / 2, y) == QColor(247, 147, 30))
            return true;
    return false;
}

} // namespace

TEST(Wayland, PollsAnswersAndKeepsTheStoredPositionInLayoutEditMode)
{
    WaylandSession wayland;
    if (!wayland.problem().isEmpty())
        K740_SKIP_WITHOUT_TOOLS(("no Wayland compositor: " + wayland.problem()).toStdString());
    QTemporaryDir ports;
    SimulatorProcess sim(ports.path(), "vcom0", {"--kind", "S", "--encoder", "ssi", "--bits", "13"});
    ASSERT_TRUE(sim.ready());
    // No position stored yet: the first run keeps the window's designed one
    // (0, 170), with the stored size; then a stored one stays as it is.
    ProgramProcess program("[K740.vcom0]\nPosition_Width=1300\nPosition_Height=500\n");
    const QPoint kept[] = {{0, 170}, {40, 120}, {40, 120}};

    for (int run = 0; run < 3; ++run) {
        if (run == 1) {
            QFile ini(program.folder() + "/K740.INI");
            ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
            ini.write("[K740.vcom0]\nPosition_Left=40\nPosition_Top=120\nPosition_Width=1300\nPosition_Height=500\n");
        }
        program.start(ports.path(), {"/E"}, wayland.clientEnvironment());
        const int before = Polls(sim);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Polls(sim) >= before + 3; }, 15000))
            << "run " << run << ": " << program.stderrText().toStdString();
        if (run == 0) {
            // About 97 requests a second; a stalled paint would hold the cycle up.
            QElapsedTimer clock;
            clock.start();
            const int start = Polls(sim);
            QTest::qWait(2000);
            const double perSecond = (Polls(sim) - start) * 1000.0 / clock.elapsed();
            EXPECT_GT(perSecond, 50) << perSecond;
            EXPECT_FALSE(Call("PositionText").toString().isEmpty());
            // Wayland gives windows no id that another program could use.
            EXPECT_EQ(Call("WindowId"), QVariant(0u));
            const QString shot = program.folder() + "/screen.png";
            ASSERT_TRUE(wayland.screenshot(shot));
            EXPECT_TRUE(ShowsTheBand(QImage(shot)));
        }
        ASSERT_TRUE(program.terminate()) << "run " << run;
        const QString ini = program.file("K740.INI");
        EXPECT_EQ(IniValue(ini, "Position_Left"), kept[run].x()) << "run " << run;
        EXPECT_EQ(IniValue(ini, "Position_Top"), kept[run].y()) << "run " << run;
        EXPECT_EQ(IniValue(ini, "Position_Width"), 1300) << "run " << run;
        EXPECT_EQ(IniValue(ini, "Position_Height"), 500) << "run " << run;
    }
}

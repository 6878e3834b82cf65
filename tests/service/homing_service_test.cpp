// Plain homing holds the read-out until the mark: the position service and
// k740-position say so instead of answering it, and captures add nothing.
// The window runs in this process against k740-sim, so that HOME can be
// pressed; k740-position asks it over the private session bus.
#include "platform/system_port_provider.h"
#include "service/position_service.h"
#include "service/position_service_names.h"
#include "service/service_calls.h"
#include "support/e2e_harness.h"
#include "ui/main_form.h"
#include "ui/window_system.h"

#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k740;

TEST(PositionService, HomingHoldsTheReadOutAndTheServiceSaysSo)
{
    QTemporaryDir vports, folder;
    SimulatorProcess sim(vports.path(), "vcom0", {"--encoder", "counter", "--ref-every", "1000000", "--speed", "3000"});
    ASSERT_TRUE(sim.ready());
    qputenv("K740_VPORT_DIR", vports.path().toLocal8Bit());
    TSystemPortProvider ports;
    TInterfaceSession session(ports, TDataFolders::beside(folder.path() + "/"), ParseCommandLine({"/D"}));
    TPollLoop loop(session);
    TMainForm form(session, loop);
    TPositionService service(session, [&form] { return NativeWindowId(form); });
    ASSERT_TRUE(service.start());
    loop.initTimerTimer();
    loop.LoopTimerTimer();

    form.bbZeroRefClick();
    loop.LoopTimerTimer();
    for (const QStringList& arguments : {QStringList(), QStringList{"--value"}, QStringList{"--text"}}) {
        const ClientRun run = Client(arguments);
        EXPECT_EQ(run.exitCode, 3) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err,
            "k740-position: the position is not current: homing holds the read-out until the "
            "reference mark");
    }
    form.FormKeyDown(Qt::Key_F2, {});
    EXPECT_TRUE(session.captureList().lines().isEmpty());

    form.FormKeyPress(QChar(0x1b)); // Esc
    loop.LoopTimerTimer();
    const ClientRun value = Client({"--value"});
    EXPECT_EQ(value.exitCode, 0) << value.err.toStdString();
    EXPECT_GT(value.out.toDouble(), 0);
    form.FormKeyDown(Qt::Key_F2, {});
    EXPECT_EQ(session.captureList().lines().size(), 1);
    form.FormDestroy();
    qunsetenv("K740_VPORT_DIR");
}

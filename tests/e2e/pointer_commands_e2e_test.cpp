// The pointer commands as a user gives them, on a desktop without and with a
// window manager: the settings dialog, opened by a double click on the
// settings summary, again and again and closed each way there is; the other
// double-click commands several times in a row.
#include "support/desktop_session.h"
#include "support/e2e_harness.h"
#include "support/missing_tools.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>

// Names the parameter in the test list.
void PrintTo(WindowManager manager, std::ostream* out)
{
    *out << (manager == WindowManager::None ? "no window manager" : "openbox");
}

namespace {

const QSize kScreen(1600, 900);
const QString kDialog = "K740 Settings";
const QString kDiagram = "SSI Timing Diagram";

// Places in the main window's client area: the status bar along its bottom,
// the extended status bar above it (pins, serial number, supply), the logo
// at the top right.
QPoint Summary(QRect main)
{
    return {main.left() + 500, main.bottom() - 10};
}
QPoint SerialField(QRect main)
{
    return {main.left() + 245, main.bottom() - 31};
}
QPoint SupplyField(QRect main)
{
    return {main.left() + 440, main.bottom() - 31};
}
QPoint Logo(QRect main)
{
    return {main.right() - 130, main.top() + 35};
}
// Places in the settings dialog's client area.
const QPoint kOk(289, 669);
const QPoint kCancel(381, 669);
const QPoint kHintImage(402, 238);

enum class Closing { Ok, Escape, Cancel, WindowManager };

std::string Name(Closing way)
{
    switch (way) {
    case Closing::Ok:
        return "OK";
    case Closing::Escape:
        return "Esc";
    case Closing::Cancel:
        return "Cancel";
    case Closing::WindowManager:
        return "the window manager's close";
    }
    return {};
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (condition())
            return true;
        QThread::msleep(50);
    }
    return condition();
}

// `sequence` came in, in this order, after the first `from` commands.
bool Received(const QStringList& commands, int from, const QStringList& sequence)
{
    int next = 0;
    for (int i = from; i < commands.size() && next < sequence.size(); ++i)
        next += commands[i] == sequence[next];
    return next == sequence.size();
}

class PointerCommandsTest : public ::testing::TestWithParam<WindowManager> {
protected:
    void SetUp() override
    {
        if (!desktop.problem().isEmpty())
            K740_SKIP_WITHOUT_TOOLS(("no desktop: " + desktop.problem()).toStdString());
        ASSERT_TRUE(sim.ready());
    }

    DesktopSession desktop{kScreen, GetParam()};
    QTemporaryDir ports;
    SimulatorProcess sim{ports.path(), "vcom0", {"--kind", "S", "--encoder", "ssi", "--bits", "13"}};
};

} // namespace

TEST_P(PointerCommandsTest, SettingsDialogOpensAndClosesFiveTimesInARowEachWay)
{
    ProgramProcess program;
    const qulonglong window = desktop.openProgram(program, ports.path(), {});
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(sim.waitForPolls());
    const QRect main = desktop.clientBounds(window);
    std::vector<Closing> ways{Closing::Ok, Closing::Escape, Closing::Cancel};
    if (desktop.hasWindowManager())
        ways.push_back(Closing::WindowManager);
    for (const Closing way : ways) {
        for (int round = 1; round <= 5; ++round) {
            const std::string at = Name(way) + ", round " + std::to_string(round);
            desktop.doubleClick(Summary(main));
            const qulonglong dialog = desktop.findWindow(kDialog, 5000);
            ASSERT_NE(dialog, 0u) << at;
            const QPoint origin = desktop.clientBounds(dialog).topLeft();
            switch (way) {
            case Closing::Ok:
                // The "?" picture opens the diagram each time; OK closes both.
                desktop.click(origin + kHintImage);
                EXPECT_NE(desktop.findWindow(kDiagram, 5000), 0u) << at;
                desktop.click(origin + kOk);
                break;
            case Closing::Escape:
                desktop.key(dialog, "Escape");
                break;
            case Closing::Cancel:
                desktop.click(origin + kCancel);
                break;
            case Closing::WindowManager:
                desktop.click(desktop.titleButton(dialog, DesktopSession::TitleButton::Close));
                break;
            }
            ASSERT_TRUE(desktop.windowGone(kDialog)) << at;
        }
    }
    EXPECT_TRUE(desktop.windowGone(kDiagram));
    EXPECT_TRUE(sim.waitForPolls()) << "polling resumes after the dialog";
    EXPECT_TRUE(program.terminate());
}

// The supply switches off, on and off; the serial number source changes
// three times; the logo opens the product page three times (through a
// stand-in for xdg-open that notes the address).
TEST_P(PointerCommandsTest, OtherDoubleClickCommandsWorkThreeTimesInARow)
{
    QTemporaryDir bin;
    const QString opened = bin.filePath("opened");
    QFile browser(bin.filePath("xdg-open"));
    ASSERT_TRUE(browser.open(QIODevice::WriteOnly));
    browser.write(QString("#!/bin/sh\necho \"$1\" >> '%1'\n").arg(opened).toLocal8Bit());
    browser.close();
    browser.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ProgramProcess program("[K740.vcom0]\nShowExtendedData=1\n");
    const qulonglong window
        = desktop.openProgram(program, ports.path(), {}, {"PATH=" + bin.path() + ":" + qEnvironmentVariable("PATH")});
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(sim.waitForPolls());
    const QRect main = desktop.clientBounds(window);

    for (const QString supply : {"f", "n", "f"}) {
        const int before = sim.receivedCommands().size();
        desktop.doubleClick(SupplyField(main));
        // The field shows the new state from the next "e" before the next click.
        EXPECT_TRUE(WaitFor([&] {
            return Received(sim.receivedCommands(), before, {supply, "e", "e"});
        })) << "supply "
            << supply.toStdString();
    }
    for (const QString serial : {"r", "s", "r"}) {
        const int before = sim.receivedCommands().size();
        desktop.doubleClick(SerialField(main));
        EXPECT_TRUE(WaitFor([&] {
            return Received(sim.receivedCommands(), before, {serial, serial});
        })) << "serial request "
            << serial.toStdString();
    }
    for (int times = 1; times <= 3; ++times) {
        desktop.doubleClick(Logo(main));
        const auto pages = [&] {
            QFile file(opened);
            return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()).count("http") : 0;
        };
        EXPECT_TRUE(WaitFor([&] { return pages() == times; })) << "logo, time " << times;
    }
    EXPECT_TRUE(program.terminate());
}

INSTANTIATE_TEST_SUITE_P(Desktops, PointerCommandsTest, ::testing::Values(WindowManager::None, WindowManager::Openbox),
    [](const ::testing::TestParamInfo<WindowManager>& tested) {
        return tested.param == WindowManager::None ? std::string("NoWindowManager") : std::string("Openbox");
    });

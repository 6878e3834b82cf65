// The poll loop's searches and cycles against in-process interfaces, with
// no window at all.
#include "acquisition/poll_loop.h"
#include "support/fake_port.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace k740;
using namespace k740sim;

namespace {

TDeviceConfig Counter()
{
    TDeviceConfig config;
    config.KindLetter = 'Q';
    config.Encoder = TEncoderKind::Counter;
    return config;
}

class PollLoopTest : public ::testing::Test {
protected:
    void start(const QStringList& arguments = {})
    {
        loop.reset();
        session = std::make_unique<TInterfaceSession>(
            ports, TDataFolders::beside(dir.path() + "/"), ParseCommandLine(arguments));
        loop = std::make_unique<TPollLoop>(*session);
        loop->setPortChooser([this](const QStringList& answering) {
            offered.append(answering);
            return QString();
        });
        QObject::connect(loop.get(), &TPollLoop::searchEnded, [this](const TSearchResult& r) { results.append(r); });
        QObject::connect(loop.get(), &TPollLoop::cycleRun, [this](const TCycleResult& c) { cycles.append(c); });
    }
    // Serves events until `done` holds, at most `ms`; whether it held.
    static bool runUntil(const std::function<bool()>& done, int ms = 5000)
    {
        const QDeadlineTimer deadline(ms);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        return done();
    }

    QTemporaryDir dir;
    TFakePortProvider ports;
    std::unique_ptr<TInterfaceSession> session;
    std::unique_ptr<TPollLoop> loop;
    QList<QStringList> offered;
    QList<TSearchResult> results;
    QList<TCycleResult> cycles;
};

} // namespace

// The timers alone search, connect, put the settings in force and poll; a
// pause holds the cycle up, a lost link goes back to searching.
TEST_F(PollLoopTest, SearchesAndPollsByItsTimersAlone)
{
    const auto device = ports.plug("vcom0", Counter());
    device->setPosition(1234);
    start();
    loop->start();
    ASSERT_TRUE(runUntil([this] { return cycles.size() >= 3; }));
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].Connection.Outcome, TConnectOutcome::Connected);
    EXPECT_TRUE(results[0].Applied.Summary.contains("Double click")) << results[0].Applied.Summary.toStdString();
    EXPECT_EQ(session->readOutText(), "1.234");
    EXPECT_FALSE(loop->searching());

    {
        const TPollingPause pause(*session);
        EXPECT_FALSE(loop->cycling());
        const qsizetype paused = cycles.size();
        runUntil([] { return false; }, 100);
        EXPECT_EQ(cycles.size(), paused);
    }
    EXPECT_TRUE(loop->cycling());

    ports.unplug("vcom0");
    ASSERT_TRUE(runUntil([this] { return cycles.last().LinkLost; }));
    EXPECT_FALSE(loop->cycling());
    EXPECT_TRUE(loop->searching());
    EXPECT_EQ(loop->searchInterval(), kSearchRetryMs);
    ports.replug("vcom0");
    ASSERT_TRUE(runUntil([this] { return !session->notConnected() && loop->cycling(); }));

    loop->stop();
    const qsizetype stopped = cycles.size();
    runUntil([] { return false; }, 100);
    EXPECT_EQ(cycles.size(), stopped);
}

// What a search connects, and what it sends on the way.
TEST_F(PollLoopTest, SearchConnectsOnlyAnInterfaceThatAnswersAsOne)
{
    TDeviceConfig foreign = Counter();
    foreign.Identity = "ACME-42 V9.99";
    TDeviceConfig plain = Counter();
    plain.Model = "T740";
    TDeviceConfig supplyOff = Counter();
    supplyOff.SupplyOn = false;
    const struct {
        const char* What;
        TDeviceConfig Device;
        TDeviceFault Fault;
        bool Connects;
        QList<QByteArray> Sent; // after the connection's "v"
    } rows[] = {
        {"foreign", foreign, TDeviceFault::None, false, {}},
        {"silent", Counter(), TDeviceFault::Silence, false, {}},
        {"garbled", Counter(), TDeviceFault::Garbage, false, {}},
        {"plain T740: no extended exchanges", plain, TDeviceFault::None, true, {"c"}},
        {"supply off: switched on", supplyOff, TDeviceFault::None, true, {"c", "s", "e", "n"}},
    };
    for (const auto& row : rows) {
        start();
        const auto device = ports.plug("vcom0", row.Device);
        device->setFault(row.Fault);
        loop->initTimerTimer();
        EXPECT_EQ(!session->notConnected(), row.Connects) << row.What;
        EXPECT_EQ(loop->searching(), !row.Connects) << row.What;
        EXPECT_EQ(loop->cycling(), row.Connects) << row.What;
        if (row.Connects) {
            const QList<QByteArray> sent = device->commands();
            EXPECT_EQ(sent.mid(sent.lastIndexOf("v") + 1), row.Sent) << row.What;
            EXPECT_TRUE(device->supplyOn()) << row.What;
        }
    }
}

// Several answering interfaces are offered to the chooser, each search
// again while none is chosen; the serial filter picks its own without asking.
TEST_F(PollLoopTest, SeveralInterfacesAreChosenOrFiltered)
{
    TDeviceConfig first = Counter();
    first.Serial2 = "1111";
    TDeviceConfig second = Counter();
    second.Serial2 = "ab22";
    ports.plug("vcom0", first);
    ports.plug("vcom1", second);
    start();
    loop->initTimerTimer();
    loop->initTimerTimer();
    EXPECT_EQ(offered, QList<QStringList>(2, {"vcom0", "vcom1"}));
    EXPECT_TRUE(session->notConnected());

    start({"/r=AB2"});
    loop->initTimerTimer();
    EXPECT_EQ(offered.size(), 2);
    EXPECT_EQ(session->identity().PortName, "vcom1");
}

#include "platform/screen_saver.h"
#include "platform/tick_counter.h"
#include "support/missing_tools.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <vector>

using namespace k740;

namespace {

// Stands in for the desktop's screen saver on a private bus.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    bool active = false;
    int questions = 0;
    int wakes = 0;

    void setActive(bool on)
    {
        active = on;
        emit ActiveChanged(on);
    }

signals:
    void ActiveChanged(bool active);

public slots:
    bool GetActive()
    {
        ++questions;
        return active;
    }
    void SimulateUserActivity() { ++wakes; }
};

void RunEventsUntil(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// A private session bus, a client connection for the waker and a service
// connection that can publish the fake screen saver.
class ScreenSaverBusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            K740_SKIP_WITHOUT_TOOLS("dbus-daemon is not installed (scripts/install-deps installs it)");
        bus.start(daemon, {"--session", "--nofork", "--print-address"});
        ASSERT_TRUE(bus.waitForReadyRead(5000));
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        client = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, "k740-client"));
        service = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, "k740-service"));
        ASSERT_TRUE(client->isConnected());
        ASSERT_TRUE(service->isConnected());
        SetTickSource([this] { return now; });
    }
    void TearDown() override
    {
        SetTickSource({});
        client.reset();
        service.reset();
        QDBusConnection::disconnectFromBus("k740-client");
        QDBusConnection::disconnectFromBus("k740-service");
        bus.terminate();
        bus.waitForFinished(5000);
    }

    void publish()
    {
        ASSERT_TRUE(service->registerObject("/org/freedesktop/ScreenSaver", &saver,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        ASSERT_TRUE(service->registerService("org.freedesktop.ScreenSaver"));
    }

    QProcess bus;
    std::unique_ptr<QDBusConnection> client;
    std::unique_ptr<QDBusConnection> service;
    FakeScreenSaver saver;
    uint32_t now = 5000;
};

// Runs events for `ms` while the encoder moves every 10 ms.
void MoveFor(TScreenSaverWaker& waker, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        waker.wakeIfRunning();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

TEST_F(ScreenSaverBusTest, FollowsActiveChangedAndWakesAtMostOnceASecond)
{
    publish();
    TScreenSaverWaker waker(*client);
    RunEventsUntil([this] { return saver.questions > 0; });
    MoveFor(waker, 300);
    EXPECT_EQ(std::pair(saver.questions, saver.wakes), std::pair(1, 0)); // asked once, not per movement

    saver.setActive(true);
    RunEventsUntil([&] {
        waker.wakeIfRunning();
        return saver.wakes > 0;
    });
    MoveFor(waker, 200);
    EXPECT_EQ(saver.wakes, 1);
    now += TScreenSaverWaker::kWakeIntervalMs; // still running a second later
    RunEventsUntil([&] {
        waker.wakeIfRunning();
        return saver.wakes > 1;
    });
    EXPECT_EQ(saver.wakes, 2);

    saver.setActive(false);
    MoveFor(waker, 200);
    now += 5000;
    MoveFor(waker, 200);
    EXPECT_EQ(std::pair(saver.questions, saver.wakes), std::pair(1, 2));
}

TEST_F(ScreenSaverBusTest, AServiceThatAppearsIsAskedAndAMovementJustBeforeCounts)
{
    TScreenSaverWaker waker(*client); // nobody answers: no screen saver runs
    saver.active = true;
    waker.wakeIfRunning();
    now += 500;
    publish();
    RunEventsUntil([this] { return saver.wakes > 0; });
    EXPECT_EQ(saver.wakes, 1);

    ASSERT_TRUE(service->unregisterService("org.freedesktop.ScreenSaver")); // it ends, running
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    now += 5000;
    MoveFor(waker, 200);
    // Counted after half a second of events: asked once when it appeared.
    EXPECT_EQ(std::pair(saver.questions, saver.wakes), std::pair(1, 1));
}

// Unsets environment variables while it lives.
struct UnsetEnvironment {
    explicit UnsetEnvironment(std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            if (qEnvironmentVariableIsSet(name))
                saved.emplace_back(name, qgetenv(name));
            qunsetenv(name);
        }
    }
    ~UnsetEnvironment()
    {
        for (const auto& [name, value] : saved)
            qputenv(name, value);
    }
    std::vector<std::pair<const char*, QByteArray>> saved;
};

// Without a session bus (no address, no user bus, no display to start one
// from) the calls of the 10 ms cycle return at once: 100 of them fit into
// the 100 cycles they serve.
TEST(ScreenSaver, WithoutASessionBusTheCallsReturnAtOnce)
{
    qint64 elapsedMs = 0;
    {
        UnsetEnvironment noBus({"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR", "DISPLAY"});
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 100; ++i)
            WakeScreenSaverIfRunning();
        QCoreApplication::processEvents();
        elapsedMs = clock.elapsed();
    }
    EXPECT_FALSE(QDBusConnection::sessionBus().isConnected());
    EXPECT_LT(elapsedMs, 100 * 10);
}

} // namespace

#include "screen_saver_test.moc"

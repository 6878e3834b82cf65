#include "platform/screen_saver.h"
#include "platform/tick_counter.h"

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
            GTEST_SKIP() << "dbus-daemon not installed";
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
        ASSERT_TRUE(service->registerObject("/org/freedesktop/ScreenSaver", &saver, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service->registerService("org.freedesktop.ScreenSaver"));
    }

    QProcess bus;
    std::unique_ptr<QDBusConnection> client;
    std::unique_ptr<QDBusConnection> service;
    FakeScreenSaver saver;
    uint32_t now = 5000;
};

TEST_F(ScreenSaverBusTest, WakesAnActiveScreenSaverOnlyWhenActive)
{
    publish();
    TScreenSaverWaker waker(*client);
    waker.wakeIfRunning();
    RunEventsUntil([this] { return saver.questions == 1; });
    EXPECT_EQ(saver.wakes, 0);

    saver.active = true;
    const int askedWhileInactive = saver.questions;
    RunEventsUntil([&] {
        waker.wakeIfRunning();
        return saver.wakes > 0;
    });
    // A question may still be on its way when the first wake arrives: each
    // "active" answer wakes the screen saver once.
    RunEventsUntil([&] { return saver.wakes >= saver.questions - askedWhileInactive; });
    EXPECT_GE(saver.wakes, 1);
    EXPECT_EQ(saver.wakes, saver.questions - askedWhileInactive);
}

TEST_F(ScreenSaverBusTest, AsksOneQuestionAtATime)
{
    publish();
    TScreenSaverWaker waker(*client);
    for (int i = 0; i < 5; ++i)
        waker.wakeIfRunning(); // all before any answer could arrive
    RunEventsUntil([this] { return saver.questions > 0; });
    QCoreApplication::processEvents();
    EXPECT_EQ(saver.questions, 1);
}

TEST_F(ScreenSaverBusTest, MissingServiceIsRememberedForAWhile)
{
    TScreenSaverWaker waker(*client);
    waker.wakeIfRunning(); // nobody answers: the service is missing
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    publish();
    now += TScreenSaverWaker::kAbsentRetryMs - 1000;
    waker.wakeIfRunning();
    clock.restart();
    while (clock.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(saver.questions, 0);

    now += 2000;
    waker.wakeIfRunning();
    RunEventsUntil([this] { return saver.questions > 0; });
    EXPECT_EQ(saver.questions, 1);
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

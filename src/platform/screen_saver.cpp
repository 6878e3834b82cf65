#include "platform/screen_saver.h"

#include "platform/tick_counter.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace k740 {

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");

QDBusMessage ScreenSaverCall(const QString& method)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, method);
    call.setAutoStartService(false); // never start a screen saver just to ask it
    return call;
}

} // namespace

TScreenSaverWaker::TScreenSaverWaker(const QDBusConnection& bus)
    : Bus(bus)
{
    if (!Bus.isConnected())
        return;
    Bus.connect(kService, kPath, kService, QStringLiteral("ActiveChanged"), this, SLOT(setActive(bool)));
    auto* presence = new QDBusServiceWatcher(
        kService, Bus, QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration, this);
    connect(presence, &QDBusServiceWatcher::serviceRegistered, this, &TScreenSaverWaker::askActive);
    connect(presence, &QDBusServiceWatcher::serviceUnregistered, this, [this] { Active = false; });
    askActive();
}

void TScreenSaverWaker::askActive()
{
    const QDBusPendingCall call = Bus.asyncCall(ScreenSaverCall(QStringLiteral("GetActive")), kCallTimeoutMs);
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const QDBusPendingReply<bool> active = *finished;
        setActive(active.isValid() && active.value()); // a missing service runs no screen saver
    });
}

void TScreenSaverWaker::setActive(bool active)
{
    Active = active;
    if (Active && Moved && GetTickCount() - MovedAt <= kWakeIntervalMs)
        wake();
}

void TScreenSaverWaker::wakeIfRunning()
{
    Moved = true;
    MovedAt = GetTickCount();
    if (Active)
        wake();
}

void TScreenSaverWaker::wake()
{
    const uint32_t now = GetTickCount();
    if (Woken && now - WokenAt < kWakeIntervalMs)
        return;
    Woken = true;
    WokenAt = now;
    Bus.send(ScreenSaverCall(QStringLiteral("SimulateUserActivity")));
}

// The waker lives as long as the program: destroyed at exit, after the
// bus connections' own teardown, it would take its watch and signal along.
void WakeScreenSaverIfRunning()
{
    static TScreenSaverWaker* gWaker = new TScreenSaverWaker(QDBusConnection::sessionBus());
    gWaker->wakeIfRunning();
}

} // namespace k740

#include "platform/screen_saver.h"

#include "platform/tick_counter.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

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
}

void TScreenSaverWaker::markAbsent()
{
    Absent = true;
    AbsentSince = GetTickCount();
}

void TScreenSaverWaker::wakeIfRunning()
{
    if (Pending || (Absent && GetTickCount() - AbsentSince <= kAbsentRetryMs))
        return;
    Absent = false;
    if (!Bus.isConnected()) {
        markAbsent();
        return;
    }
    Pending = true;
    const QDBusPendingCall call = Bus.asyncCall(ScreenSaverCall(QStringLiteral("GetActive")), kCallTimeoutMs);
    // Owned by Calls, so a waker destroyed while asking takes its question along.
    auto* watcher = new QDBusPendingCallWatcher(call, &Calls);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &Calls, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        Pending = false;
        const QDBusPendingReply<bool> active = *finished;
        if (active.isError())
            markAbsent();
        else if (active.value())
            Bus.send(ScreenSaverCall(QStringLiteral("SimulateUserActivity")));
    });
}

void WakeScreenSaverIfRunning()
{
    static TScreenSaverWaker gWaker(QDBusConnection::sessionBus());
    gWaker.wakeIfRunning();
}

} // namespace k740

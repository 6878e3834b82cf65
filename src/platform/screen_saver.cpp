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

ScreenSaverWaker::ScreenSaverWaker(const QDBusConnection& bus)
    : m_bus(bus)
{
}

void ScreenSaverWaker::markAbsent()
{
    m_absent = true;
    m_absentSince = GetTickCount();
}

void ScreenSaverWaker::wakeIfRunning()
{
    if (m_pending || (m_absent && GetTickCount() - m_absentSince <= kAbsentRetryMs))
        return;
    m_absent = false;
    if (!m_bus.isConnected()) {
        markAbsent();
        return;
    }
    m_pending = true;
    const QDBusPendingCall call = m_bus.asyncCall(ScreenSaverCall(QStringLiteral("GetActive")), kCallTimeoutMs);
    // Owned by m_calls, so a waker destroyed while asking takes its question along.
    auto* watcher = new QDBusPendingCallWatcher(call, &m_calls);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &m_calls, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        m_pending = false;
        const QDBusPendingReply<bool> active = *finished;
        if (active.isError())
            markAbsent();
        else if (active.value())
            m_bus.send(ScreenSaverCall(QStringLiteral("SimulateUserActivity")));
    });
}

void WakeScreenSaverIfRunning()
{
    static ScreenSaverWaker waker(QDBusConnection::sessionBus());
    waker.wakeIfRunning();
}

} // namespace k740

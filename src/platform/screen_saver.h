#pragma once
#include <QDBusConnection>
#include <QObject>
#include <cstdint>

namespace k740 {

// Ends a running screen saver through the org.freedesktop.ScreenSaver service
// of a D-Bus connection. It follows the service's ActiveChanged signal and
// asks GetActive only when it starts and when the service appears, so that
// a moving encoder costs the desktop nothing while no screen saver runs.
// While one runs, a movement sends SimulateUserActivity, at most once per
// kWakeIntervalMs; a movement shortly before the waker learns that one
// runs counts too. Meant to be called from a 10 ms cycle: it never waits,
// and problems show nothing.
class TScreenSaverWaker : public QObject {
    Q_OBJECT
public:
    static constexpr uint32_t kWakeIntervalMs = 1000;
    static constexpr int kCallTimeoutMs = 200;

    explicit TScreenSaverWaker(const QDBusConnection& bus);
    // The encoder moved.
    void wakeIfRunning();

private slots:
    void setActive(bool active);

private:
    void askActive();
    void wake();

    QDBusConnection Bus;
    bool Active = false;
    bool Moved = false;
    uint32_t MovedAt = 0; // GetTickCount() of the latest movement
    bool Woken = false;
    uint32_t WokenAt = 0; // GetTickCount() of the latest SimulateUserActivity
};

// Wakes the screen saver of the user's session bus, if there is one.
void WakeScreenSaverIfRunning();

} // namespace k740

#pragma once
#include <QDBusConnection>
#include <QObject>
#include <cstdint>

namespace k740 {

// Ends a running screen saver through the org.freedesktop.ScreenSaver service
// of a D-Bus connection: asks GetActive and, when it is active, sends
// SimulateUserActivity. Meant to be called from a 10 ms cycle, so it never
// waits: the question is asked asynchronously, at most one at a time, and a
// missing bus or service is remembered for kAbsentRetryMs before it is asked
// for again. Problems show nothing.
class TScreenSaverWaker {
public:
    static constexpr uint32_t kAbsentRetryMs = 10000;
    static constexpr int kCallTimeoutMs = 200;

    explicit TScreenSaverWaker(const QDBusConnection& bus);
    void wakeIfRunning();

private:
    void markAbsent();

    QDBusConnection Bus;
    QObject Calls;        // parent of the questions on their way
    bool Pending = false; // a GetActive question is on its way
    bool Absent = false;
    uint32_t AbsentSince = 0; // GetTickCount() when the service was found missing
};

// Wakes the screen saver of the user's session bus, if there is one.
void WakeScreenSaverIfRunning();

} // namespace k740

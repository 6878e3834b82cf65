#pragma once
#include "platform/position_service_names.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

class QDBusServiceWatcher;
class QWidget;

namespace k740 {

class TInterfaceSession;
struct TCycleSample;

// The position on the D-Bus session bus: what the session offers and does,
// and the id of its main window. Calls arrive as events of the window's
// thread, so they are answered between two acquisition cycles; the bus
// connection's own thread reads and writes the socket, so a slow client
// never holds a cycle up.
//
// While the cycle does not run (no interface, or a dialog or message box of
// the window holds it up) `Polling` is false and Position and PositionText
// answer the error position_service::kNotPollingError rather than a stale
// value.
//
// Clients that call Subscribe() get the signal Cycle once per acquisition
// cycle until they call Unsubscribe() or leave the bus; without
// subscribers the session prepares nothing for it. Signals go out through
// the bus daemon, which buffers them for a client that reads slowly.
// Cycle (t number, x replyTimeUs, x rawCount, d value, s text, b valid,
// b crcOk) is sent as a message of its own, which the bus connection's
// thread writes after one wake-up; an exported Qt signal would be written
// from this thread and wake the bus thread twice more per message, to
// switch its write watch on and off.
class TPositionService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.k740.Desktop")
    Q_PROPERTY(bool Connected READ connected)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString Port READ port)
    Q_PROPERTY(bool Polling READ polling)
    Q_PROPERTY(QVariantMap Statistics READ statistics)
public:
    TPositionService(TInterfaceSession& session, const QWidget& window);

    // Registers the object and the names on `bus`; without a bus, says once
    // on standard error that the service is off and returns false.
    bool start(QDBusConnection bus = QDBusConnection::sessionBus());

    bool connected() const;
    QString identity() const;
    QString port() const;
    bool polling() const;
    // The link quality figures by name (README lists them).
    QVariantMap statistics() const;

public slots:
    // The main window's native window id (X11), 0 where it has none.
    uint WindowId();
    int Position(int form);
    QString PositionText();
    bool Capture();
    QStringList Captures();
    // ZERO when it is offered (false when not); the error
    // position_service::kZeroFailedError when "z" could not be sent.
    bool Zero();
    void ResetStatistics();
    void Subscribe();
    void Unsubscribe();

private:
    void announceChanges();
    void sendCycle(const TCycleSample& sample);
    void forgetSubscriber(const QString& name);
    // Sampling is on while anyone subscribed.
    void followSubscribers();
    // False, with the D-Bus error sent, when the position is not current.
    bool positionIsCurrent();

    TInterfaceSession& Session;
    const QWidget& Window;
    QDBusConnection Bus;
    QDBusServiceWatcher* Subscribers; // watches the bus names of the subscribers
    bool LastConnected = false;
    QString LastIdentity;
    QString LastPort;
    bool LastPolling = false;
};

} // namespace k740

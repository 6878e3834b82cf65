#pragma once
#include "service/position_service_names.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <functional>

namespace k740 {

class TInterfaceSession;

// The position on the D-Bus session bus: what the session offers and does,
// and the id of its main window. Calls arrive as events of the window's
// thread, so they are answered between two acquisition cycles; the bus
// connection's own thread reads and writes the socket, so a slow client
// never holds a cycle up.
//
// While the cycle does not run (no interface, or a dialog or message box of
// the window holds it up) `Polling` is false and Position, Value and
// PositionText answer the error position_service::kNotPollingError rather
// than a stale value; while plain homing holds the read-out they answer
// position_service::kHomingError, and Capture adds nothing.
//
// OpenStream() hands the caller a descriptor of its own that gets one CSV
// row per acquisition cycle (TCycleStreams), so that following every cycle
// costs the bus nothing: the bus is for control, and every message on it is
// matched against the rules of every client of the desktop's session.
class TPositionService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.k740.Desktop")
    Q_PROPERTY(bool Connected READ connected)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString Port READ port)
    Q_PROPERTY(bool Polling READ polling)
    Q_PROPERTY(QVariantMap Statistics READ statistics)
public:
    // `windowId` gives the main window's native id, 0 where it has none.
    TPositionService(TInterfaceSession& session, std::function<uint()> windowId);

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
    // The position in the unit the read-out shows, as the log writes it.
    double Value();
    QString PositionText();
    bool Capture();
    QStringList Captures();
    // ZERO when it is offered (false when not); the error
    // position_service::kZeroFailedError when "z" could not be sent.
    bool Zero();
    void ResetStatistics();
    // The reading end of a stream of every cycle's row; closing it ends the
    // stream.
    QDBusUnixFileDescriptor OpenStream();

private:
    void announceChanges();
    // False, with the D-Bus error sent, when the position is not current.
    bool positionIsCurrent();

    TInterfaceSession& Session;
    std::function<uint()> WindowIdOfMainWindow;
    QDBusConnection Bus;
    bool LastConnected = false;
    QString LastIdentity;
    QString LastPort;
    bool LastPolling = false;
};

} // namespace k740

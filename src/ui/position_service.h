#pragma once
#include "platform/position_service_names.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

namespace k740 {

class TMainForm;

// The main window's position on the D-Bus session bus. Calls arrive as
// events of the window's thread, so they are answered between two
// acquisition cycles; the bus connection's own thread reads and writes the
// socket, so a slow client never holds a cycle up.
class TPositionService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.k740.Desktop")
    Q_PROPERTY(bool Connected READ connected)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString Port READ port)
public:
    explicit TPositionService(TMainForm& form);

    // Registers the object and the names on `bus`; without a bus, says once
    // on standard error that the service is off and returns false.
    bool start(QDBusConnection bus = QDBusConnection::sessionBus());

    bool connected() const;
    QString identity() const;
    QString port() const;

public slots:
    // The main window's native window id (X11), 0 where it has none.
    uint WindowId();
    int Position(int form);
    QString PositionText();
    bool Capture();
    QStringList Captures();
    bool Zero();

private:
    void announceChanges();

    TMainForm& Form;
    QDBusConnection Bus;
    bool LastConnected = false;
    QString LastIdentity;
    QString LastPort;
};

} // namespace k740

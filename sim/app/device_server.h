#pragma once
#include "app/command_log.h"
#include "app/pty_link.h"
#include "device/device_model.h"

#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace k740sim {

// Serves one DeviceModel on a published pseudo-terminal: reads commands as
// they arrive, writes replies at once (or when their pieces are due), and
// can be unplugged and plugged again.
class TDeviceServer : public QObject {
    Q_OBJECT
public:
    TDeviceServer(TDeviceModel& device, TCommandLog& log, QString dir, QString name, QObject* parent = nullptr);

    // New terminal and link; prints "ready <link path>" on stdout.
    bool plug(QString& error);
    void unplug();

private:
    // New terminal and link, quietly.
    bool publish(QString& error);
    void readHost();
    void send(const QByteArray& bytes);
    void sendLater(const TReplyPiece& piece);
    // The host closed the slave: stop watching the master (it would report
    // hang-up without end) and look every few milliseconds for a new open;
    // or, when the host left the terminal exclusive, publish a new one.
    void waitForHost();
    void checkHostBack();

    TDeviceModel& Device;
    TCommandLog& Log;
    QString Dir;
    QString Name;
    TPtyLink Link;
    QSocketNotifier* Notifier = nullptr;
    QTimer HostPoll;
    int Generation = 0; // one per plug; late pieces of an old terminal are dropped
};

} // namespace k740sim

#pragma once
#include <QByteArray>
#include <QObject>

class QSocketNotifier;

namespace k740sim {

class TDeviceModel;
class TDeviceServer;

// Run-time control of the simulator by lines on stdin and by signals
// (SIGUSR1 unplug, SIGUSR2 replug, SIGINT/SIGTERM/SIGHUP quit).
class TControlChannel : public QObject {
    Q_OBJECT
public:
    TControlChannel(TDeviceModel& device, TDeviceServer& server, QObject* parent = nullptr);

private:
    void readInput();
    void execute(const QByteArray& line);
    void onSignal(int signalNumber);
    void replug();

    TDeviceModel& Device;
    TDeviceServer& Server;
    QSocketNotifier* Input;
    QByteArray PartialLine;
};

} // namespace k740sim

#pragma once
#include <QByteArray>
#include <QObject>

class QSocketNotifier;

namespace k740sim {

class DeviceModel;
class DeviceServer;

// Run-time control of the simulator by lines on stdin and by signals
// (SIGUSR1 unplug, SIGUSR2 replug, SIGINT/SIGTERM/SIGHUP quit).
class ControlChannel : public QObject {
    Q_OBJECT
public:
    ControlChannel(DeviceModel& device, DeviceServer& server, QObject* parent = nullptr);

private:
    void readInput();
    void execute(const QByteArray& line);
    void onSignal(int signalNumber);
    void replug();

    DeviceModel& device_;
    DeviceServer& server_;
    QSocketNotifier* input_;
    QByteArray partialLine_;
};

} // namespace k740sim

#pragma once
#include "device/device_model.h"
#include "platform/serial_port.h"

#include <QByteArray>
#include <QMap>
#include <chrono>
#include <deque>
#include <memory>

namespace k740sim {

using k740::IPortProvider;
using k740::ISerialPort;

// One simulated interface plugged into a named fake port: its device, and
// whether it is plugged, held by another program, or refusing line settings.
struct FakePortSlot {
    std::shared_ptr<DeviceModel> device;
    bool plugged = true;
    bool busy = false; // open elsewhere: open() fails with EBUSY
    int openError = 0; // when not 0, open() fails with this code (EACCES, ...)
    bool lineSettingsFail = false;
    bool inUse = false; // a FakeDevicePort holds it open
    int generation = 0; // counts unplug events; old ports stay dead
};

// In-process serial port with a DeviceModel behind it. Replies become
// readable when their pieces are due on the steady clock.
class FakeDevicePort : public ISerialPort {
public:
    FakeDevicePort(QString name, std::shared_ptr<FakePortSlot> slot);
    ~FakeDevicePort() override;

    bool configureLine() override;
    bool restoreLine() override;
    int write(const QByteArray& data) override;
    int bytesWaiting() override;
    QByteArray read(int maxBytes) override;
    bool waitForReadyRead(int timeoutMs) override;
    QString name() const override { return name_; }
    bool isOpen() const override;
    void close() override;

private:
    using Clock = std::chrono::steady_clock;
    struct Pending {
        Clock::time_point due;
        QByteArray bytes;
    };
    bool alive() const;
    void collectDuePieces();

    QString name_;
    std::shared_ptr<FakePortSlot> slot_;
    int generation_;
    bool open_ = true;
    std::deque<Pending> pending_; // in due order
    QByteArray received_;
};

// Named fake ports for tests; a port can be plugged, unplugged, marked busy.
class FakePortProvider : public IPortProvider {
public:
    // Plugs a device in under the given port name (replacing any there).
    std::shared_ptr<DeviceModel> plug(
        const QString& portName, const DeviceConfig& config, MicrosecondClock clock = SteadyMicroseconds);
    // Unplugging kills open ports (writes fail with -EIO); replug revives
    // the same device for new opens.
    void unplug(const QString& portName);
    void replug(const QString& portName);
    void setBusy(const QString& portName, bool busy);
    void setOpenError(const QString& portName, int errorCode);
    void setLineSettingsFail(const QString& portName, bool fail);
    std::shared_ptr<DeviceModel> device(const QString& portName) const;

    QStringList candidatePorts() override;
    std::unique_ptr<ISerialPort> open(const QString& portName, int& errorCode) override;

private:
    QMap<QString, std::shared_ptr<FakePortSlot>> slots_;
};

} // namespace k740sim

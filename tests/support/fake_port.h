#pragma once
#include "device/device_model.h"
#include "platform/serial_port.h"

#include <QByteArray>
#include <QMap>
#include <deque>
#include <memory>

namespace k740sim {

using k740::IPortProvider;
using k740::ISerialPort;

// One simulated interface plugged into a named fake port: its device, and
// whether it is plugged, held by another program, or refusing line settings.
struct TFakePortSlot {
    std::shared_ptr<TDeviceModel> Device;
    TMicrosecondClock Clock = SteadyMicroseconds; // the device's, for replies too
    bool Plugged = true;
    bool Busy = false;     // open elsewhere: open() fails with EBUSY
    int64_t HolderPid = 0; // the process said to hold it while Busy
    int OpenError = 0;     // when not 0, open() fails with this code (EACCES, ...)
    bool LineSettingsFail = false;
    bool InUse = false; // a FakeDevicePort holds it open
    int Generation = 0; // counts unplug events; old ports stay dead
};

// In-process serial port with a DeviceModel behind it. Replies become
// readable when their pieces are due on the device's clock (the steady
// clock unless a test plugged it in with a clock of its own).
class TFakeDevicePort : public ISerialPort {
public:
    TFakeDevicePort(QString name, std::shared_ptr<TFakePortSlot> slot);
    ~TFakeDevicePort() override;

    k740::TLinkResult configureLine() override;
    k740::TLinkResult restoreLine() override;
    k740::TLinkResult write(const QByteArray& data) override;
    int bytesWaiting() override;
    QByteArray read(int maxBytes) override;
    bool waitForReadyRead(int timeoutMs) override;
    QString name() const override { return Name; }
    bool isOpen() const override;
    void close() override;

private:
    struct TPending {
        int64_t DueUs; // on the slot's clock
        QByteArray Bytes;
    };
    bool alive() const;
    void collectDuePieces();

    QString Name;
    std::shared_ptr<TFakePortSlot> Slot;
    int Generation;
    bool Open = true;
    std::deque<TPending> Pending; // in due order
    QByteArray Received;
};

// Named fake ports for tests; a port can be plugged, unplugged, marked busy.
class TFakePortProvider : public IPortProvider {
public:
    // Plugs a device in under the given port name (replacing any there).
    std::shared_ptr<TDeviceModel> plug(
        const QString& portName, const TDeviceConfig& config, const TMicrosecondClock& clock = SteadyMicroseconds);
    // Unplugging kills open ports (writes fail with -EIO); replug revives
    // the same device for new opens.
    void unplug(const QString& portName);
    void replug(const QString& portName);
    void setBusy(const QString& portName, bool busy, int64_t holderPid = 0);
    void setOpenError(const QString& portName, int errorCode);
    void setLineSettingsFail(const QString& portName, bool fail);
    std::shared_ptr<TDeviceModel> device(const QString& portName) const;

    QStringList candidatePorts() override;
    k740::TOpenedPort open(const QString& portName) override;

private:
    QMap<QString, std::shared_ptr<TFakePortSlot>> Slots;
};

} // namespace k740sim

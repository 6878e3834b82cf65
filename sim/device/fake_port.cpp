#include "device/fake_port.h"

#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <thread>

namespace k740sim {

TFakeDevicePort::TFakeDevicePort(QString name, std::shared_ptr<TFakePortSlot> slot)
    : Name(std::move(name))
    , Slot(std::move(slot))
    , Generation(Slot->Generation)
{
    Slot->InUse = true;
}

TFakeDevicePort::~TFakeDevicePort()
{
    close();
}

bool TFakeDevicePort::alive() const
{
    return Open && Slot->Plugged && Slot->Generation == Generation;
}

bool TFakeDevicePort::configureLine()
{
    return alive() && !Slot->LineSettingsFail;
}

bool TFakeDevicePort::restoreLine()
{
    return alive() && !Slot->LineSettingsFail;
}

int TFakeDevicePort::write(const QByteArray& data)
{
    if (!alive())
        return -EIO;
    const TClock::time_point now = TClock::now();
    for (TReplyPiece& piece : Slot->Device->receive(data)) {
        const TPending entry{now + std::chrono::milliseconds(piece.DueMs), std::move(piece.Bytes)};
        const auto at = std::upper_bound(Pending.begin(), Pending.end(), entry.Due,
            [](TClock::time_point due, const TPending& p) { return due < p.Due; });
        Pending.insert(at, entry);
    }
    return int(data.size());
}

void TFakeDevicePort::collectDuePieces()
{
    const TClock::time_point now = TClock::now();
    while (!Pending.empty() && Pending.front().Due <= now) {
        Received += Pending.front().Bytes;
        Pending.pop_front();
    }
}

int TFakeDevicePort::bytesWaiting()
{
    if (!alive())
        return -EIO;
    collectDuePieces();
    return int(Received.size());
}

QByteArray TFakeDevicePort::read(int maxBytes)
{
    if (!alive())
        return {};
    collectDuePieces();
    const QByteArray bytes = Received.left(maxBytes);
    Received.remove(0, bytes.size());
    return bytes;
}

bool TFakeDevicePort::waitForReadyRead(int timeoutMs)
{
    const TClock::time_point deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    while (alive()) {
        collectDuePieces();
        if (!Received.isEmpty())
            return true;
        const TClock::time_point now = TClock::now();
        if (now >= deadline)
            return false;
        const TClock::time_point wake = Pending.empty() ? deadline : std::min(deadline, Pending.front().Due);
        std::this_thread::sleep_until(wake);
    }
    return false;
}

bool TFakeDevicePort::isOpen() const
{
    return alive();
}

void TFakeDevicePort::close()
{
    if (Open && Slot->Generation == Generation)
        Slot->InUse = false;
    Open = false;
    Pending.clear();
    Received.clear();
}

std::shared_ptr<TDeviceModel> TFakePortProvider::plug(
    const QString& portName, const TDeviceConfig& config, TMicrosecondClock clock)
{
    auto slot = std::make_shared<TFakePortSlot>();
    slot->Device = std::make_shared<TDeviceModel>(config, std::move(clock));
    Slots.insert(portName, slot);
    return slot->Device;
}

void TFakePortProvider::unplug(const QString& portName)
{
    if (const auto slot = Slots.value(portName)) {
        slot->Plugged = false;
        slot->InUse = false;
        ++slot->Generation;
    }
}

void TFakePortProvider::replug(const QString& portName)
{
    if (const auto slot = Slots.value(portName))
        slot->Plugged = true;
}

void TFakePortProvider::setBusy(const QString& portName, bool busy)
{
    if (const auto slot = Slots.value(portName))
        slot->Busy = busy;
}

void TFakePortProvider::setOpenError(const QString& portName, int errorCode)
{
    if (const auto slot = Slots.value(portName))
        slot->OpenError = errorCode;
}

void TFakePortProvider::setLineSettingsFail(const QString& portName, bool fail)
{
    if (const auto slot = Slots.value(portName))
        slot->LineSettingsFail = fail;
}

std::shared_ptr<TDeviceModel> TFakePortProvider::device(const QString& portName) const
{
    const auto slot = Slots.value(portName);
    return slot ? slot->Device : nullptr;
}

QStringList TFakePortProvider::candidatePorts()
{
    QStringList names;
    for (auto it = Slots.cbegin(); it != Slots.cend(); ++it)
        if (it.value()->Plugged)
            names << it.key();
    std::sort(names.begin(), names.end(),
        [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

std::unique_ptr<ISerialPort> TFakePortProvider::open(const QString& portName, int& errorCode)
{
    const auto slot = Slots.value(portName);
    if (!slot || !slot->Plugged) {
        errorCode = ENOENT;
        return nullptr;
    }
    if (slot->OpenError != 0) {
        errorCode = slot->OpenError;
        return nullptr;
    }
    if (slot->Busy || slot->InUse) {
        errorCode = EBUSY;
        return nullptr;
    }
    errorCode = 0;
    return std::make_unique<TFakeDevicePort>(portName, slot);
}

} // namespace k740sim

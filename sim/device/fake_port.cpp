#include "device/fake_port.h"

#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <thread>

namespace k740sim {

FakeDevicePort::FakeDevicePort(QString name, std::shared_ptr<FakePortSlot> slot)
    : name_(std::move(name))
    , slot_(std::move(slot))
    , generation_(slot_->generation)
{
    slot_->inUse = true;
}

FakeDevicePort::~FakeDevicePort()
{
    close();
}

bool FakeDevicePort::alive() const
{
    return open_ && slot_->plugged && slot_->generation == generation_;
}

bool FakeDevicePort::configureLine()
{
    return alive() && !slot_->lineSettingsFail;
}

bool FakeDevicePort::restoreLine()
{
    return alive() && !slot_->lineSettingsFail;
}

int FakeDevicePort::write(const QByteArray& data)
{
    if (!alive())
        return -EIO;
    const Clock::time_point now = Clock::now();
    for (ReplyPiece& piece : slot_->device->receive(data)) {
        const Pending entry{now + std::chrono::milliseconds(piece.dueMs), std::move(piece.bytes)};
        const auto at = std::upper_bound(pending_.begin(), pending_.end(), entry.due,
            [](Clock::time_point due, const Pending& p) { return due < p.due; });
        pending_.insert(at, entry);
    }
    return int(data.size());
}

void FakeDevicePort::collectDuePieces()
{
    const Clock::time_point now = Clock::now();
    while (!pending_.empty() && pending_.front().due <= now) {
        received_ += pending_.front().bytes;
        pending_.pop_front();
    }
}

int FakeDevicePort::bytesWaiting()
{
    if (!alive())
        return -EIO;
    collectDuePieces();
    return int(received_.size());
}

QByteArray FakeDevicePort::read(int maxBytes)
{
    if (!alive())
        return {};
    collectDuePieces();
    const QByteArray bytes = received_.left(maxBytes);
    received_.remove(0, bytes.size());
    return bytes;
}

bool FakeDevicePort::waitForReadyRead(int timeoutMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (alive()) {
        collectDuePieces();
        if (!received_.isEmpty())
            return true;
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            return false;
        const Clock::time_point wake = pending_.empty() ? deadline : std::min(deadline, pending_.front().due);
        std::this_thread::sleep_until(wake);
    }
    return false;
}

bool FakeDevicePort::isOpen() const
{
    return alive();
}

void FakeDevicePort::close()
{
    if (open_ && slot_->generation == generation_)
        slot_->inUse = false;
    open_ = false;
    pending_.clear();
    received_.clear();
}

std::shared_ptr<DeviceModel> FakePortProvider::plug(
    const QString& portName, const DeviceConfig& config, MicrosecondClock clock)
{
    auto slot = std::make_shared<FakePortSlot>();
    slot->device = std::make_shared<DeviceModel>(config, std::move(clock));
    slots_.insert(portName, slot);
    return slot->device;
}

void FakePortProvider::unplug(const QString& portName)
{
    if (const auto slot = slots_.value(portName)) {
        slot->plugged = false;
        slot->inUse = false;
        ++slot->generation;
    }
}

void FakePortProvider::replug(const QString& portName)
{
    if (const auto slot = slots_.value(portName))
        slot->plugged = true;
}

void FakePortProvider::setBusy(const QString& portName, bool busy)
{
    if (const auto slot = slots_.value(portName))
        slot->busy = busy;
}

void FakePortProvider::setOpenError(const QString& portName, int errorCode)
{
    if (const auto slot = slots_.value(portName))
        slot->openError = errorCode;
}

void FakePortProvider::setLineSettingsFail(const QString& portName, bool fail)
{
    if (const auto slot = slots_.value(portName))
        slot->lineSettingsFail = fail;
}

std::shared_ptr<DeviceModel> FakePortProvider::device(const QString& portName) const
{
    const auto slot = slots_.value(portName);
    return slot ? slot->device : nullptr;
}

QStringList FakePortProvider::candidatePorts()
{
    QStringList names;
    for (auto it = slots_.cbegin(); it != slots_.cend(); ++it)
        if (it.value()->plugged)
            names << it.key();
    std::sort(names.begin(), names.end(),
        [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

std::unique_ptr<ISerialPort> FakePortProvider::open(const QString& portName, int& errorCode)
{
    const auto slot = slots_.value(portName);
    if (!slot || !slot->plugged) {
        errorCode = ENOENT;
        return nullptr;
    }
    if (slot->openError != 0) {
        errorCode = slot->openError;
        return nullptr;
    }
    if (slot->busy || slot->inUse) {
        errorCode = EBUSY;
        return nullptr;
    }
    errorCode = 0;
    return std::make_unique<FakeDevicePort>(portName, slot);
}

} // namespace k740sim

#include "support/fake_port.h"

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

namespace {
k740::TLinkResult Failed(int errorCode)
{
    return k740::TLinkResult::fromErrno(errorCode);
}
} // namespace

k740::TLinkResult TFakeDevicePort::configureLine()
{
    return alive() && !Slot->LineSettingsFail ? k740::kLinkOk : Failed(EIO);
}

k740::TLinkResult TFakeDevicePort::restoreLine()
{
    return configureLine();
}

k740::TLinkResult TFakeDevicePort::write(const QByteArray& data)
{
    if (!alive())
        return Failed(EIO);
    const int64_t now = Slot->Clock();
    for (TReplyPiece& piece : Slot->Device->receive(data)) {
        const TPending entry{now + int64_t(piece.DueMs) * 1000, std::move(piece.Bytes)};
        const auto at = std::upper_bound(
            Pending.begin(), Pending.end(), entry.DueUs, [](int64_t due, const TPending& p) { return due < p.DueUs; });
        Pending.insert(at, entry);
    }
    return k740::kLinkOk;
}

void TFakeDevicePort::collectDuePieces()
{
    const int64_t now = Slot->Clock();
    while (!Pending.empty() && Pending.front().DueUs <= now) {
        Received += Pending.front().Bytes;
        Pending.pop_front();
    }
}

int TFakeDevicePort::bytesWaiting()
{
    if (!alive())
        return 0;
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
    using TClock = std::chrono::steady_clock;
    const TClock::time_point deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    while (alive()) {
        collectDuePieces();
        if (!Received.isEmpty())
            return true;
        const TClock::time_point now = TClock::now();
        if (now >= deadline)
            return false;
        // The next piece is due this much later on the device's clock.
        const TClock::time_point wake = Pending.empty()
            ? deadline
            : std::min(deadline, now + std::chrono::microseconds(Pending.front().DueUs - Slot->Clock()));
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
    const QString& portName, const TDeviceConfig& config, const TMicrosecondClock& clock)
{
    auto slot = std::make_shared<TFakePortSlot>();
    slot->Device = std::make_shared<TDeviceModel>(config, clock);
    slot->Clock = clock;
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

void TFakePortProvider::setBusy(const QString& portName, bool busy, int64_t holderPid)
{
    if (const auto slot = Slots.value(portName)) {
        slot->Busy = busy;
        slot->HolderPid = holderPid;
    }
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

k740::TOpenedPort TFakePortProvider::open(const QString& portName)
{
    k740::TOpenedPort opened;
    const auto slot = Slots.value(portName);
    if (!slot || !slot->Plugged) {
        opened.Result = Failed(ENOENT);
    } else if (slot->OpenError != 0) {
        opened.Result = Failed(slot->OpenError);
    } else if (slot->Busy || slot->InUse) {
        opened.Result = Failed(EBUSY);
        opened.HolderPid = slot->Busy ? slot->HolderPid : 0;
    } else {
        opened.Port = std::make_unique<TFakeDevicePort>(portName, slot);
    }
    return opened;
}

} // namespace k740sim

#include "link/discovery.h"

#include "link/transaction.h"

#include <QCoreApplication>

namespace k740 {

namespace {
// Decimal value of reply[from, from + count), 0 when absent or not all digits.
int32_t DecimalField(const QByteArray& reply, int from, int count)
{
    if (reply.size() < from + count)
        return 0;
    int32_t value = 0;
    for (int i = from; i < from + count; ++i) {
        const char c = reply[i];
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}
} // namespace

bool IsIdentityReply(const QByteArray& reply)
{
    return reply.startsWith("T740-9") || reply.startsWith("K740-9");
}

bool IsSupportedIdentity(const QByteArray& reply)
{
    return reply.mid(1, 6) == "740-9S" || reply.mid(1, 6) == "740-9Q";
}

int32_t FirmwareVersionOf(const QByteArray& reply)
{
    return DecimalField(reply, 9, 1) * 100 + DecimalField(reply, 11, 2);
}

InterfaceIdentity IdentityFromReply(const QByteArray& reply, const QString& portName)
{
    InterfaceIdentity identity;
    identity.PortName = portName;
    identity.FirmwareVersion = FirmwareVersionOf(reply);
    identity.ExtendedInterface = reply.startsWith("K740-9");
    identity.SecondSerial = identity.ExtendedInterface && identity.FirmwareVersion >= 117;
    identity.InterfaceKind = reply.mid(1, 6) == "740-9S" ? TInterfaceKind::Absolute : TInterfaceKind::Counting;
    identity.IdentityText = QString::fromLatin1(reply.left(reply.size() - 1));
    return identity;
}

TProbeResult ProbePorts(IPortProvider& ports, const QStringList& candidates, const QString& serialFilter,
    const std::function<void(const QString& portName, const TOpenedPort& failure)>& openFailed)
{
    TProbeResult result;
    for (const QString& name : candidates) {
        TOpenedPort opened = ports.open(name);
        std::unique_ptr<ISerialPort>& port = opened.Port;
        if (!port) {
            result.BusySkipped = result.BusySkipped || opened.Result.Outcome == TLinkOutcome::Busy;
            openFailed(name, opened);
            continue;
        }
        QCoreApplication::processEvents();
        QByteArray reply;
        if (port->configureLine().ok() && Transact(port.get(), "v", 0, true, reply).ok() && IsIdentityReply(reply)) {
            result.Answering.append(name);
            if (!serialFilter.isEmpty()) {
                QByteArray serial;
                if (Transact(port.get(), "r", 0, true, serial).ok()
                    && QString::fromLatin1(serial).toUpper().startsWith(serialFilter))
                    result.FilterMatch = name;
            }
            result.Held[name] = std::move(port);
        } else {
            port->restoreLine();
            port->close();
        }
        if (!serialFilter.isEmpty() && !result.FilterMatch.isEmpty())
            break;
    }
    return result;
}

void ReleasePorts(THeldPorts& held)
{
    for (auto& [name, port] : held) {
        port->restoreLine();
        port->close();
    }
    held.clear();
}

QString ChoosePort(const TProbeResult& probe, const QString& serialFilter, bool ownSeen,
    const std::function<QString(const QStringList&)>& choose)
{
    if (!probe.FilterMatch.isEmpty())
        return probe.FilterMatch;
    if (!serialFilter.isEmpty()) {
        if (probe.BusySkipped || ownSeen || probe.Answering.isEmpty())
            return {};
        return choose(probe.Answering);
    }
    if (probe.Answering.size() == 1)
        return probe.Answering.first();
    if (probe.Answering.size() > 1)
        return choose(probe.Answering);
    return {};
}

} // namespace k740

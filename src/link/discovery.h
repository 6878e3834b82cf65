#pragma once
#include "link/interface_identity.h"
#include "platform/serial_port.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace k740 {

// Identity replies begin with "T740-9" or "K740-9".
bool IsIdentityReply(const QByteArray& reply);
// Supported kinds: "740-9S" or "740-9Q" from the second character on.
bool IsSupportedIdentity(const QByteArray& reply);
// major * 100 + minor from the digits at positions 10 and 12-13 (1-based);
// a field that is not a decimal number counts as 0.
int32_t FirmwareVersionOf(const QByteArray& reply);
// Identity of a supported interface answering `reply` on `portName`.
InterfaceIdentity IdentityFromReply(const QByteArray& reply, const QString& portName);

// Result of probing every candidate port once.
struct TProbeResult {
    QStringList Answering; // ports on which an interface answered, in probe order
    QString FilterMatch;   // the port whose "r" reply matched the serial filter
};

// Opens each candidate in turn, sets the line, asks "v" (pumping window
// messages while it waits) and, with a serial filter, "r"; restores the line
// and closes the port. Stops at the first filter match. `openFailed` receives
// the OS error code and the name of each port that cannot be opened.
TProbeResult ProbePorts(IPortProvider& ports, const QStringList& candidates, const QString& serialFilter,
    const std::function<void(int errorCode, const QString& portName)>& openFailed);

// The port to connect, or empty: the filter match, the only answering port,
// or, with several, the one `choose` returns (empty on Cancel).
QString ChoosePort(const TProbeResult& probe, const std::function<QString(const QStringList&)>& choose);

} // namespace k740

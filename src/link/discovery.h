#pragma once
#include "link/interface_identity.h"
#include "platform/serial_port.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

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

// Ports kept open by name.
using THeldPorts = std::map<QString, std::unique_ptr<ISerialPort>>;

// Result of probing every candidate port once.
struct TProbeResult {
    QStringList Answering;    // ports on which an interface answered, in probe order
    QString FilterMatch;      // the port whose "r" reply matched the serial filter
    bool BusySkipped = false; // a port held by another program was skipped
    THeldPorts Held;          // the answering ports, still open
};

// Opens each candidate in turn, sets the line, asks "v" (pumping window
// messages while it waits) and, with a serial filter, "r". A port that
// answers stays open in Held, so that no other program takes it before it
// is connected; the others get their line back and are closed. Stops at
// the first filter match. A port that does not open (one another program
// holds among them: nothing is written to it) goes to `openFailed`.
TProbeResult ProbePorts(IPortProvider& ports, const QStringList& candidates, const QString& serialFilter,
    const std::function<void(const QString& portName, const TOpenedPort& failure)>& openFailed);

// Gives held ports their line settings back and closes them.
void ReleasePorts(THeldPorts& held);

// The port to connect, or empty. Without a serial filter: the only
// answering port, or, with several, the one `choose` returns (empty on
// Cancel). With a filter only its match connects on its own; without a
// match nothing is chosen while a busy port may be the copy's own interface
// (another program's probe holding it for a moment) or once its own
// interface was seen (`ownSeen`: it is waited for); otherwise the user
// chooses among those that answered, even a single one.
QString ChoosePort(const TProbeResult& probe, const QString& serialFilter, bool ownSeen,
    const std::function<QString(const QStringList&)>& choose);

} // namespace k740

#pragma once
#include "platform/link_result.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace k740 {

class ISerialPort;

// How long a reply may take, in milliseconds after the command was written.
constexpr unsigned kReplyTimeoutMs = 100;

// A reply never keeps more than this many bytes (or expectedLength, if larger).
constexpr int kMaxReplyBytes = 4096;

// Drops what waits in the receive queue (bytes that came too late for an
// earlier exchange: they answer no request sent from now on; their number
// goes to lateBytes when given), writes command unchanged, then collects the
// reply until it is complete or kReplyTimeoutMs passed. Complete means:
// holds a carriage return (expectedLength 0) or at least expectedLength
// bytes (expectedLength > 0). reply is cleared after a successful write and
// receives every byte read, including any after the carriage return; on
// NoPort and on a failed write it is left untouched. With pumpMessages the
// wait runs pending events every few milliseconds. Results: Ok (complete
// reply), Timeout (none within kReplyTimeoutMs), NoPort (nothing sent), or
// the failed write's.
TLinkResult Transact(ISerialPort* port, const QByteArray& command, int expectedLength, bool pumpMessages,
    QByteArray& reply, int* lateBytes = nullptr);

// Writes the first byte of command and returns at once, without reading
// anything: NoPort without an open port, else the write's result.
TLinkResult SendNoReply(ISerialPort* port, const QByteArray& command);

// What became of a command that did not go through, for a message:
// "\"B25\" was refused", "\"e\" got no reply", "\"z\" could not be sent
// (Input/output error)".
QString CommandFailureText(const QByteArray& command, const TLinkResult& result);

// The code a trace line gives a result: 0 complete, -1 time-out, -3 no
// port, else the negated system error.
int32_t TraceCode(const TLinkResult& result);

} // namespace k740

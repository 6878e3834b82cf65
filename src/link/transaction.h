#pragma once
#include <QByteArray>
#include <cstdint>

namespace k740 {

class ISerialPort;

// Results of Transact. Any other (negative) value is a failed write: the
// negated OS error code.
enum class TTransactResult : int32_t {
    Ok = 0,       // complete reply received
    Timeout = -1, // no complete reply within kReplyTimeoutMs
    NoPort = -3,  // no open port; nothing was sent
};

// How long a reply may take, in milliseconds after the command was written.
constexpr unsigned kReplyTimeoutMs = 100;

// A reply never keeps more than this many bytes (or expectedLength, if larger).
constexpr int kMaxReplyBytes = 4096;

// Writes command unchanged, then collects the reply until it is complete or
// kReplyTimeoutMs passed. Complete means: holds a carriage return
// (expectedLength 0) or at least expectedLength bytes (expectedLength > 0).
// reply is cleared after a successful write and receives every byte read,
// including any after the carriage return; on NoPort and on a failed
// write it is left untouched. With pumpMessages the wait runs pending events
// every few milliseconds. Nothing is flushed beforehand: bytes that arrived
// late for an earlier exchange start the next reply.
TTransactResult Transact(
    ISerialPort* port, const QByteArray& command, int expectedLength, bool pumpMessages, QByteArray& reply);

// Writes the first byte of command and returns at once, without looking at
// the result or reading anything. Does nothing without an open port.
void SendNoReply(ISerialPort* port, const QByteArray& command);

} // namespace k740

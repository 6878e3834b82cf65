#include "link/transaction.h"

#include "platform/serial_port.h"
#include "platform/tick_counter.h"

#include <QCoreApplication>
#include <algorithm>

namespace k740 {

namespace {

// While pumping, the wait for bytes is cut into slices this long so that
// pending events are served in between.
constexpr int kPumpSliceMs = 5;

bool IsComplete(const QByteArray& reply, int expectedLength)
{
    return expectedLength > 0 ? reply.size() >= expectedLength : reply.contains('\r');
}

// Appends what the port holds to reply. A device that streams bytes without
// ever ending the reply must not make the reply grow without bound, so
// bytes beyond `cap` are read and dropped.
void CollectWaitingBytes(ISerialPort* port, QByteArray& reply, int cap)
{
    const int waiting = port->bytesWaiting();
    if (waiting <= 0)
        return;
    const QByteArray bytes = port->read(waiting);
    const int room = std::max(0, cap - int(reply.size()));
    reply.append(bytes.constData(), std::min(room, int(bytes.size())));
}

} // namespace

int Transact(ISerialPort* port, const QByteArray& command, int expectedLength, bool pumpMessages, QByteArray& reply)
{
    if (!port || !port->isOpen())
        return kTransactNoPort;
    const int written = port->write(command);
    if (written < 0)
        return written;

    reply.clear();
    const int cap = std::max(kMaxReplyBytes, expectedLength);
    const uint32_t start = GetTickCount();
    for (;;) {
        if (pumpMessages)
            QCoreApplication::processEvents();
        CollectWaitingBytes(port, reply, cap);
        if (IsComplete(reply, expectedLength))
            return kTransactOk;
        // Unsigned difference: correct across the wrap of the 32-bit counter.
        const uint32_t elapsed = GetTickCount() - start;
        if (elapsed > kReplyTimeoutMs || !port->isOpen())
            return kTransactTimeout;
        // Sleep until bytes arrive, at most until just past the time-out.
        const int remaining = int(kReplyTimeoutMs - elapsed) + 1;
        port->waitForReadyRead(pumpMessages ? std::min(remaining, kPumpSliceMs) : remaining);
    }
}

void SendNoReply(ISerialPort* port, const QByteArray& command)
{
    if (!port || !port->isOpen() || command.isEmpty())
        return;
    port->write(command.left(1));
}

} // namespace k740

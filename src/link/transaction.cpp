#include "link/transaction.h"

#include "link/printable_text.h"
#include "platform/serial_port.h"
#include "platform/tick_counter.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <algorithm>
#include <chrono>

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

// Reads and drops what waits in the receive queue; the number of bytes.
int DiscardWaitingBytes(ISerialPort* port)
{
    const int waiting = port->bytesWaiting();
    return waiting > 0 ? int(port->read(waiting).size()) : 0;
}

// The link trace for real hardware: one line per exchange on standard error,
// switched on with QT_LOGGING_RULES="k740.link.debug=true".
Q_LOGGING_CATEGORY(lcLink, "k740.link", QtWarningMsg)

using TTraceClock = std::chrono::steady_clock;

// Trace times count from the first traced exchange.
TTraceClock::time_point TraceOrigin()
{
    static const TTraceClock::time_point kOrigin = TTraceClock::now();
    return kOrigin;
}

double Milliseconds(TTraceClock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Bytes as they can be read in a terminal: "\r", "\n" and "\xNN" for the rest.
QString Printable(const QByteArray& bytes)
{
    return PrintableText(QString::fromLatin1(bytes), TPrintable::Ascii);
}

// One trace line: the time since the first traced exchange, the port, the
// command, and what became of it. The caller has taken TraceOrigin() before
// `at`.
void TraceLine(const ISerialPort* port, const QByteArray& command, TTraceClock::time_point at, const QString& outcome)
{
    qCDebug(lcLink).noquote() << QStringLiteral("%1 ms %2 \"%3\" %4")
                                     .arg(Milliseconds(at - TraceOrigin()), 0, 'f', 3)
                                     .arg(port ? port->name() : QStringLiteral("(no port)"), Printable(command),
                                         outcome);
}

// The exchange itself; Transact adds the trace.
TLinkResult Exchange(ISerialPort* port, const QByteArray& command, int expectedLength, bool pumpMessages,
    QByteArray& reply, int& lateBytes)
{
    if (!port || !port->isOpen())
        return kLinkNoPort;
    lateBytes = DiscardWaitingBytes(port);
    const TLinkResult written = port->write(command);
    if (!written.ok())
        return written;

    reply.resize(0); // keeps its buffer for the next reply
    const int cap = std::max(kMaxReplyBytes, expectedLength);
    const uint32_t start = GetTickCount();
    for (;;) {
        if (pumpMessages)
            QCoreApplication::processEvents();
        CollectWaitingBytes(port, reply, cap);
        if (IsComplete(reply, expectedLength))
            return kLinkOk;
        // Unsigned difference: correct across the wrap of the 32-bit counter.
        const uint32_t elapsed = GetTickCount() - start;
        if (elapsed > kReplyTimeoutMs || !port->isOpen())
            return kLinkTimeout;
        // Sleep until bytes arrive, at most until just past the time-out.
        const int remaining = int(kReplyTimeoutMs - elapsed) + 1;
        port->waitForReadyRead(pumpMessages ? std::min(remaining, kPumpSliceMs) : remaining);
    }
}

} // namespace

TLinkResult Transact(ISerialPort* port, const QByteArray& command, int expectedLength, bool pumpMessages,
    QByteArray& reply, int* lateBytes)
{
    int late = 0;
    const bool traced = lcLink().isDebugEnabled();
    if (traced)
        TraceOrigin();
    const TTraceClock::time_point start = traced ? TTraceClock::now() : TTraceClock::time_point();
    const TLinkResult result = Exchange(port, command, expectedLength, pumpMessages, reply, late);
    if (lateBytes)
        *lateBytes = late;
    if (traced) {
        const TTraceClock::time_point end = TTraceClock::now();
        TraceLine(port, command, end,
            // One pass, so that a "%" in the reply stays as it is.
            QStringLiteral("-> \"%1\" result %2 in %3 ms%4")
                .arg(Printable(reply), QString::number(TraceCode(result)),
                    QString::number(Milliseconds(end - start), 'f', 3),
                    late > 0 ? QStringLiteral(" (%1 late bytes dropped before it)").arg(late) : QString()));
    }
    return result;
}

TLinkResult SendNoReply(ISerialPort* port, const QByteArray& command)
{
    if (!port || !port->isOpen() || command.isEmpty())
        return kLinkNoPort;
    const TLinkResult result = port->write(command.left(1));
    if (lcLink().isDebugEnabled()) {
        TraceOrigin();
        TraceLine(port, command.left(1), TTraceClock::now(),
            QStringLiteral("(no reply awaited) result %1").arg(TraceCode(result)));
    }
    return result;
}

QString CommandFailureText(const QByteArray& command, const TLinkResult& result)
{
    const QString quoted = '"' + QString::fromLatin1(command.trimmed()) + '"';
    switch (result.Outcome) {
    case TLinkOutcome::Refused:
        return quoted + QStringLiteral(" was refused");
    case TLinkOutcome::Timeout:
        return quoted + QStringLiteral(" got no reply");
    default:
        return quoted + QStringLiteral(" could not be sent (%1)").arg(LinkResultText(result));
    }
}

int32_t TraceCode(const TLinkResult& result)
{
    switch (result.Outcome) {
    case TLinkOutcome::Ok:
        return 0;
    case TLinkOutcome::Timeout:
        return -1;
    case TLinkOutcome::NoPort:
        return -3;
    default:
        return -result.OsError;
    }
}

} // namespace k740

#include "recorder.h"

#include "platform/position_service_names.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Names = k740::position_service;

namespace k740client {

namespace {
enum TExitStatus { KRecorded = 0, KNoAnswer = 2, KWriteFailed = 4 };
constexpr int kCallTimeoutMs = 2000;
// More than any row needs, so that one read takes a whole row.
constexpr int kMaxRowBytes = 4096;
} // namespace

TRecorder::TRecorder(QDBusConnection bus, const TClientOptions& options)
    : Bus(bus)
    , Options(options)
{
}

TRecorder::~TRecorder()
{
    closeStream();
    if (Out && Out != stdout)
        std::fclose(Out);
}

std::optional<int> TRecorder::start(const QString& destination)
{
    const QDBusMessage reply
        = Bus.call(QDBusMessage::createMethodCall(destination, Names::kPath, Names::kInterface, Names::kOpenStream),
            QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        std::fprintf(stderr, "k740-position: no copy of k740 opens a stream on the session bus (%s): %s\n",
            qPrintable(destination), qPrintable(reply.errorMessage()));
        return KNoAnswer;
    }
    const auto handed = qdbus_cast<QDBusUnixFileDescriptor>(reply.arguments().value(0));
    Stream = handed.isValid() ? ::fcntl(handed.fileDescriptor(), F_DUPFD_CLOEXEC, 0) : -1;
    if (Stream < 0) {
        std::fprintf(stderr, "k740-position: %s handed out no stream\n", qPrintable(destination));
        return KNoAnswer;
    }
    const bool toStdout = Options.RecordPath == "-";
    Out = toStdout ? stdout : std::fopen(QFile::encodeName(Options.RecordPath).constData(), "wb");
    if (!Out) {
        std::fprintf(
            stderr, "k740-position: cannot write %s: %s\n", qPrintable(Options.RecordPath), std::strerror(errno));
        return KWriteFailed;
    }
    if (!write(RecordHeader()))
        return KWriteFailed;
    Reading = new QTimer(this);
    connect(Reading, &QTimer::timeout, this, &TRecorder::readRows);
    Reading->start(kReadIntervalMs);
    return std::nullopt;
}

void TRecorder::readRows()
{
    Batch.resize(0);
    quint64 rows = 0;
    QString ended; // why the stream ended, if it did
    char row[kMaxRowBytes];
    while (Options.Frames == 0 || qint64(Rows + rows) < Options.Frames) {
        const ssize_t n = ::recv(Stream, row, sizeof row, MSG_DONTWAIT);
        if (n > 0) {
            if (const auto number = RowCycle(QByteArray::fromRawData(row, int(n))))
                Gaps.see(*number);
            Batch.append(row, n);
            ++rows;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            ended = QStringLiteral("k740 ended the stream");
        else if (errno != EAGAIN && errno != EWOULDBLOCK)
            ended = QStringLiteral("the stream failed: %1").arg(std::strerror(errno));
        break;
    }
    if (rows > 0 && !write(Batch))
        return;
    Rows += rows;
    if (!ended.isEmpty())
        finish(KNoAnswer, ended);
    else if (Options.Frames > 0 && qint64(Rows) >= Options.Frames)
        finish(KRecorded);
}

void TRecorder::interrupt()
{
    if (!Finished)
        readRows();
    finish(KRecorded);
}

// Each write (the header, a batch of whole lines) is flushed, so that a
// reader of the file (or the pipe) sees it at once and an abrupt end loses
// nothing written.
bool TRecorder::write(const QByteArray& bytes)
{
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), Out) == size_t(bytes.size()) && std::fflush(Out) == 0)
        return true;
    const QString reason = QString::fromLocal8Bit(std::strerror(errno));
    finish(KWriteFailed, "cannot write " + Options.RecordPath + ": " + reason);
    return false;
}

void TRecorder::finish(int exitStatus, const QString& why)
{
    if (Finished)
        return;
    Finished = true;
    if (!why.isEmpty())
        std::fprintf(stderr, "k740-position: %s\n", qPrintable(why));
    std::fprintf(stderr, "%s\n", qPrintable(RecordSummary(Rows, Gaps.missed())));
    closeStream();
    emit finished(exitStatus);
}

// Ends the stream.
void TRecorder::closeStream()
{
    if (Reading)
        Reading->stop();
    if (Stream >= 0)
        ::close(Stream);
    Stream = -1;
}

} // namespace k740client

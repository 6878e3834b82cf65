#include "recorder.h"

#include "service/position_service_names.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Names = k740::position_service;

namespace k740client {

namespace {
enum TExitStatus { KRecorded = 0, KNoAnswer = 2, KWriteFailed = 4 };
constexpr int kCallTimeoutMs = 2000;
constexpr int kReaderPollMs = 100;
// More than any row needs, so that one read takes a whole row.
constexpr int kMaxRowBytes = 4096;
} // namespace

TRecorder::TRecorder(QDBusConnection bus, const TClientOptions& options)
    : Bus(bus)
    , Options(options)
{
    ReaderPoll.setInterval(kReaderPollMs);
    connect(&ReaderPoll, &QTimer::timeout, this, &TRecorder::openWhenRead);
    Reading.setInterval(kReadIntervalMs);
    connect(&Reading, &QTimer::timeout, this, &TRecorder::readRows);
}

TRecorder::~TRecorder()
{
    closeStream();
}

std::optional<int> TRecorder::start(const QString& destination)
{
    Owner = Bus.interface()->serviceOwner(destination).value();
    if (Owner.isEmpty()) {
        std::fprintf(
            stderr, "k740-position: no copy of k740 answers on the session bus (%s)\n", qPrintable(destination));
        return KNoAnswer;
    }
    const TRecordOutput::TOpen opened = Out.open(Options.RecordPath);
    if (opened == TRecordOutput::TOpen::Failed) {
        std::fprintf(
            stderr, "k740-position: cannot write %s: %s\n", qPrintable(Options.RecordPath), qPrintable(Out.error()));
        return KWriteFailed;
    }
    if (opened == TRecordOutput::TOpen::Open)
        return begin();
    std::fprintf(stderr, "k740-position: waiting for a reader of %s\n", qPrintable(Options.RecordPath));
    ReaderPoll.start();
    return std::nullopt;
}

void TRecorder::openWhenRead()
{
    switch (Out.open(Options.RecordPath)) {
    case TRecordOutput::TOpen::NoReader:
        return;
    case TRecordOutput::TOpen::Failed:
        ReaderPoll.stop();
        finish(KWriteFailed, "cannot write " + Options.RecordPath + ": " + Out.error());
        return;
    case TRecordOutput::TOpen::Open:
        ReaderPoll.stop();
        if (const std::optional<int> failed = begin())
            finish(*failed);
        return;
    }
}

std::optional<int> TRecorder::begin()
{
    const QDBusMessage reply
        = Bus.call(QDBusMessage::createMethodCall(Owner, Names::kPath, Names::kInterface, Names::kOpenStream),
            QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        std::fprintf(stderr, "k740-position: no copy of k740 opens a stream on the session bus (%s): %s\n",
            qPrintable(Owner), qPrintable(reply.errorMessage()));
        return KNoAnswer;
    }
    const auto handed = qdbus_cast<QDBusUnixFileDescriptor>(reply.arguments().value(0));
    Stream = handed.isValid() ? ::fcntl(handed.fileDescriptor(), F_DUPFD_CLOEXEC, 0) : -1;
    if (Stream < 0) {
        std::fprintf(stderr, "k740-position: %s handed out no stream\n", qPrintable(Owner));
        return KNoAnswer;
    }
    if (!write(RecordHeader()))
        return KWriteFailed;
    Reading.start();
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
    if (!Finished && Stream >= 0)
        readRows();
    finish(KRecorded);
}

// Each write (the header, a batch of whole lines) goes out at once and
// whole or not at all, so that a reader of the file (or the pipe) sees it
// at once, an abrupt end loses nothing written and a full disk leaves the
// file ending with its last whole line.
bool TRecorder::write(const QByteArray& bytes)
{
    if (Out.write(bytes))
        return true;
    finish(KWriteFailed, "cannot write " + Options.RecordPath + ": " + Out.error());
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
    ReaderPoll.stop();
    closeStream();
    emit finished(exitStatus);
}

// Ends the stream.
void TRecorder::closeStream()
{
    Reading.stop();
    if (Stream >= 0)
        ::close(Stream);
    Stream = -1;
}

} // namespace k740client

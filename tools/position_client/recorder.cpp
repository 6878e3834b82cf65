#include "recorder.h"

#include "platform/position_service_names.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QFile>
#include <cerrno>
#include <cstring>

namespace Names = k740::position_service;

namespace k740client {

namespace {
enum TExitStatus { KRecorded = 0, KNoAnswer = 2, KWriteFailed = 4 };
constexpr int kCallTimeoutMs = 2000;
} // namespace

TRecorder::TRecorder(QDBusConnection bus, const TClientOptions& options)
    : Bus(bus)
    , Options(options)
{
}

TRecorder::~TRecorder()
{
    if (Out && Out != stdout)
        std::fclose(Out);
}

std::optional<int> TRecorder::start(const QString& destination)
{
    Owner = Bus.interface()->serviceOwner(destination).value();
    if (Owner.isEmpty()) {
        std::fprintf(
            stderr, "k740-position: no copy of k740 answers on the session bus (%s)\n", qPrintable(destination));
        return KNoAnswer;
    }
    const bool toStdout = Options.RecordPath == "-";
    Out = toStdout ? stdout : std::fopen(QFile::encodeName(Options.RecordPath).constData(), "wb");
    if (!Out) {
        std::fprintf(
            stderr, "k740-position: cannot write %s: %s\n", qPrintable(Options.RecordPath), std::strerror(errno));
        return KWriteFailed;
    }
    Bus.connect(Owner, Names::kPath, Names::kInterface, Names::kCycleSignal, this,
        SLOT(onCycle(qulonglong, qlonglong, qlonglong, double, QString, bool, bool)));
    auto* gone = new QDBusServiceWatcher(Owner, Bus, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(gone, &QDBusServiceWatcher::serviceUnregistered, this,
        [this] { finish(KNoAnswer, "k740 left the session bus"); });

    const QDBusMessage reply
        = Bus.call(QDBusMessage::createMethodCall(Owner, Names::kPath, Names::kInterface, "Subscribe"), QDBus::Block,
            kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        std::fprintf(stderr, "k740-position: %s did not take the subscription: %s\n", qPrintable(destination),
            qPrintable(reply.errorMessage()));
        return KNoAnswer;
    }
    if (!write(RecordHeader()))
        return KWriteFailed;
    return std::nullopt;
}

void TRecorder::onCycle(qulonglong number, qlonglong replyTimeUs, qlonglong rawCount, double value, const QString& text,
    bool valid, bool crcOk)
{
    if (Finished)
        return;
    if (!FirstReplyTimeUs)
        FirstReplyTimeUs = replyTimeUs;
    Gaps.see(number);
    if (!write(RecordLine({number, replyTimeUs, rawCount, value, text, valid, crcOk}, *FirstReplyTimeUs)))
        return;
    ++Rows;
    if (Options.Frames > 0 && qint64(Rows) >= Options.Frames)
        finish(KRecorded);
}

// Each line is flushed, so that a reader of the file (or the pipe) sees it
// at once and an abrupt end loses nothing written.
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
    if (exitStatus != KNoAnswer)
        Bus.call(QDBusMessage::createMethodCall(Owner, Names::kPath, Names::kInterface, "Unsubscribe"), QDBus::Block,
            kCallTimeoutMs);
    emit finished(exitStatus);
}

} // namespace k740client

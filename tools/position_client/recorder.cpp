#include "recorder.h"

#include "platform/position_service_names.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <cstdio>

namespace Names = k740::position_service;

namespace k740client {

namespace {
enum TExitStatus { KRecorded = 0, KNoAnswer = 2, KWriteFailed = 4 };
constexpr int kCallTimeoutMs = 2000;
constexpr int kReaderPollMs = 100;
} // namespace

TRecorder::TRecorder(QDBusConnection bus, const TClientOptions& options)
    : Bus(bus)
    , Options(options)
{
    ReaderPoll.setInterval(kReaderPollMs);
    connect(&ReaderPoll, &QTimer::timeout, this, &TRecorder::openWhenRead);
}

TRecorder::~TRecorder() = default;

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
    auto* gone = new QDBusServiceWatcher(Owner, Bus, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(gone, &QDBusServiceWatcher::serviceUnregistered, this,
        [this] { finish(KNoAnswer, "k740 left the session bus"); });
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
    Bus.connect(Owner, Names::kPath, Names::kInterface, Names::kCycleSignal, this,
        SLOT(onCycle(qulonglong, qlonglong, qlonglong, double, QString, bool, bool)));
    const QDBusMessage reply
        = Bus.call(QDBusMessage::createMethodCall(Owner, Names::kPath, Names::kInterface, "Subscribe"), QDBus::Block,
            kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        std::fprintf(stderr, "k740-position: %s did not take the subscription: %s\n", qPrintable(Owner),
            qPrintable(reply.errorMessage()));
        return KNoAnswer;
    }
    Subscribed = true;
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

// Each line is written at once, so that a reader of the file (or the pipe)
// sees it at once and an abrupt end loses nothing written.
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
    if (Subscribed && exitStatus != KNoAnswer)
        Bus.call(QDBusMessage::createMethodCall(Owner, Names::kPath, Names::kInterface, "Unsubscribe"), QDBus::Block,
            kCallTimeoutMs);
    emit finished(exitStatus);
}

} // namespace k740client

#pragma once
#include "client_options.h"
#include "record_output.h"
#include "record_rows.h"

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <optional>

namespace k740client {

// --record: subscribes to the Cycle signal of one copy of k740 and writes
// each cycle as a CSV line, until interrupted, --frames rows were written,
// the copy leaves the bus or a write fails. The copy is followed by its
// unique bus name, so that a copy taking over the common name later does
// not slip its cycles into the recording. A FIFO that nobody reads yet is
// asked again until a reader comes (it says so), and the recording starts
// then; meanwhile a signal ends it as at any other time.
class TRecorder : public QObject {
    Q_OBJECT
public:
    TRecorder(QDBusConnection bus, const TClientOptions& options);
    ~TRecorder() override;

    // Opens the output, subscribes and writes the header (or waits for a
    // FIFO's reader first); the exit status when that failed (the reason is
    // on standard error already).
    std::optional<int> start(const QString& destination);
    // Unsubscribes and writes the summary line once; then finished().
    void finish(int exitStatus, const QString& why = QString());

signals:
    void finished(int exitStatus);

public slots:
    void onCycle(qulonglong number, qlonglong replyTimeUs, qlonglong rawCount, double value, const QString& text,
        bool valid, bool crcOk);

private:
    // Subscribes and writes the header.
    std::optional<int> begin();
    void openWhenRead();
    bool write(const QByteArray& bytes);

    QDBusConnection Bus;
    TClientOptions Options;
    QString Owner; // the unique bus name of the copy recorded
    TRecordOutput Out;
    QTimer ReaderPoll; // asks a FIFO again for a reader
    bool Subscribed = false;
    std::optional<qint64> FirstReplyTimeUs;
    quint64 Rows = 0;
    TCycleGaps Gaps;
    bool Finished = false;
};

} // namespace k740client

#pragma once
#include "client_options.h"
#include "record_output.h"
#include "record_rows.h"

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <optional>

namespace k740client {

// --record: opens a stream of cycles of one copy of k740 and writes each
// row it reads as a CSV line, until interrupted, --frames rows were
// written, the copy ends the stream (it ended) or a write fails. The stream
// is a descriptor of the copy that answered, so a copy taking over the
// common name later cannot slip its cycles into the recording. Rows are
// read in batches every kReadIntervalMs: a recording then costs one wake-up
// and one write per batch rather than per row, and the stream's queue holds
// far more rows than come in that time. A FIFO that nobody reads yet is
// asked again until a reader comes (it says so), and the stream is opened
// then; meanwhile a signal ends it as at any other time.
class TRecorder : public QObject {
    Q_OBJECT
public:
    TRecorder(QDBusConnection bus, const TClientOptions& options);
    ~TRecorder() override;

    // Opens the output and the stream and writes the header (or waits for a
    // FIFO's reader first); the exit status when that failed (the reason is
    // on standard error already).
    std::optional<int> start(const QString& destination);
    // Writes the rows that came until now, then finishes as asked.
    void interrupt();
    // Closes the stream and writes the summary line once; then finished().
    void finish(int exitStatus, const QString& why = QString());

    static constexpr int kReadIntervalMs = 50;

signals:
    void finished(int exitStatus);

private:
    // Opens the stream and writes the header.
    std::optional<int> begin();
    void openWhenRead();
    // Reads the rows waiting on the stream and writes them.
    void readRows();
    void closeStream();
    bool write(const QByteArray& bytes);

    QDBusConnection Bus;
    TClientOptions Options;
    QString Owner; // the unique bus name of the copy recorded
    TRecordOutput Out;
    QTimer ReaderPoll; // asks a FIFO again for a reader
    QTimer Reading;
    int Stream = -1;  // the reading end of the stream
    QByteArray Batch; // the rows read at once, kept for its capacity
    quint64 Rows = 0;
    TCycleGaps Gaps;
    bool Finished = false;
};

} // namespace k740client

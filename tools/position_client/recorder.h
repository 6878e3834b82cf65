#pragma once
#include "client_options.h"
#include "record_rows.h"

#include <QDBusConnection>
#include <QObject>

class QSocketNotifier;
#include <cstdio>
#include <optional>

namespace k740client {

// --record: opens a stream of cycles of one copy of k740 and writes each
// row it reads as a CSV line, until interrupted, --frames rows were
// written, the copy ends the stream (it ended) or a write fails. The stream
// is a descriptor of the copy that answered, so a copy taking over the
// common name later cannot slip its cycles into the recording.
class TRecorder : public QObject {
    Q_OBJECT
public:
    TRecorder(QDBusConnection bus, const TClientOptions& options);
    ~TRecorder() override;

    // Opens the output and the stream and writes the header; the exit status
    // when that failed (the reason is on standard error already).
    std::optional<int> start(const QString& destination);
    // Closes the stream and writes the summary line once; then finished().
    void finish(int exitStatus, const QString& why = QString());

signals:
    void finished(int exitStatus);

private:
    // Reads every row waiting on the stream.
    void readRows();
    void onRow(const QByteArray& row);
    void closeStream();
    bool write(const QByteArray& bytes);

    QDBusConnection Bus;
    TClientOptions Options;
    int Stream = -1; // the reading end of the stream
    QSocketNotifier* StreamReadable = nullptr;
    std::FILE* Out = nullptr;
    quint64 Rows = 0;
    TCycleGaps Gaps;
    bool Finished = false;
};

} // namespace k740client

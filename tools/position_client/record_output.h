#pragma once
#include <QByteArray>
#include <QString>

namespace k740client {

// Where --record writes: standard output ("-"), or a file, created or
// emptied. A FIFO that nobody reads is not waited on: opening it says so,
// and the caller asks again later.
class TRecordOutput {
public:
    TRecordOutput() = default;
    ~TRecordOutput();
    TRecordOutput(const TRecordOutput&) = delete;
    TRecordOutput& operator=(const TRecordOutput&) = delete;

    enum class TOpen { Open, NoReader, Failed };
    // Failed: error() says why.
    TOpen open(const QString& path);
    // One whole line or nothing of it: a file is cut back to its last whole
    // line when a write fails part way (a full disk), so that no reader
    // takes a cut number for a value. False, error() set, on failure.
    bool write(const QByteArray& line);
    const QString& error() const { return Error; }

private:
    int Fd = -1;
    bool OwnFd = false;
    QString Error;
};

} // namespace k740client

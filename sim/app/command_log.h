#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

namespace k740sim {

// Appends each received command as one line; "\r" is written as \r and
// other control bytes as \xNN, so tests can compare exact command sequences.
class TCommandLog {
public:
    // An empty path gives a log that writes nothing.
    bool open(const QString& path, QString& error);
    void append(const QByteArray& command);

private:
    QFile File;
};

QByteArray EscapeCommand(const QByteArray& command);

} // namespace k740sim

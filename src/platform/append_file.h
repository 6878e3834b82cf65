#pragma once
#include <QByteArray>
#include <QString>

namespace k740 {

// Appends `bytes` to the regular file at `path`, created when absent, and
// closes it again. All of it or nothing: when a write fails part way, the
// file is cut back to the size it had. Anything but a regular file (a FIFO,
// a device) is refused without waiting on it. Returns an empty text on
// success, else the system's description of the failure.
QString AppendWhole(const QString& path, const QByteArray& bytes);

// The same on a file open for writing at its end: a regular file is cut
// back to the size it had when a write fails part way; a pipe or terminal
// keeps what went through.
QString AppendWhole(int fd, const QByteArray& bytes);

} // namespace k740

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

} // namespace k740

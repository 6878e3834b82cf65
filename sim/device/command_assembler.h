#pragma once
#include <QByteArray>
#include <QList>

namespace k740sim {

// Cuts the host's byte stream into commands: "B" runs up to and including
// its "\r" (digits only in between), "M" takes exactly one more byte, every
// other byte is a command of its own. A "B" broken by another byte is
// dropped and that byte starts the next command.
class TCommandAssembler {
public:
    QList<QByteArray> feed(const QByteArray& bytes);

private:
    QByteArray Pending;
};

} // namespace k740sim

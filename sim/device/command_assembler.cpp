#include "device/command_assembler.h"

#include <cctype>

namespace k740sim {

QList<QByteArray> TCommandAssembler::feed(const QByteArray& bytes)
{
    QList<QByteArray> commands;
    for (const char c : bytes) {
        if (Pending == "M") {
            commands << Pending + c;
            Pending.clear();
            continue;
        }
        if (Pending.startsWith('B')) {
            if (c == '\r') {
                commands << Pending + c;
                Pending.clear();
                continue;
            }
            if (std::isdigit(static_cast<unsigned char>(c))) {
                Pending += c;
                continue;
            }
            Pending.clear();
        }
        if (c == 'B' || c == 'M')
            Pending = QByteArray(1, c);
        else
            commands << QByteArray(1, c);
    }
    return commands;
}

} // namespace k740sim

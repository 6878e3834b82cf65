#include "device/command_assembler.h"

#include <cctype>

namespace k740sim {

QList<QByteArray> CommandAssembler::feed(const QByteArray& bytes)
{
    QList<QByteArray> commands;
    for (const char c : bytes) {
        if (pending_ == "M") {
            commands << pending_ + c;
            pending_.clear();
            continue;
        }
        if (pending_.startsWith('B')) {
            if (c == '\r') {
                commands << pending_ + c;
                pending_.clear();
                continue;
            }
            if (std::isdigit(static_cast<unsigned char>(c))) {
                pending_ += c;
                continue;
            }
            pending_.clear();
        }
        if (c == 'B' || c == 'M')
            pending_ = QByteArray(1, c);
        else
            commands << QByteArray(1, c);
    }
    return commands;
}

} // namespace k740sim

#include "app/command_log.h"

namespace k740sim {

QByteArray EscapeCommand(const QByteArray& command)
{
    QByteArray text;
    for (const char c : command) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r')
            text += "\\r";
        else if (c == '\\')
            text += "\\\\";
        else if (byte < 0x20 || byte >= 0x7F)
            text += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
        else
            text += c;
    }
    return text;
}

bool TCommandLog::open(const QString& path, QString& error)
{
    if (path.isEmpty())
        return true;
    File.setFileName(path);
    if (!File.open(QIODevice::Append | QIODevice::Unbuffered)) {
        error = QStringLiteral("cannot open %1: %2").arg(path, File.errorString());
        return false;
    }
    return true;
}

void TCommandLog::append(const QByteArray& command)
{
    if (File.isOpen())
        File.write(EscapeCommand(command) + '\n');
}

} // namespace k740sim

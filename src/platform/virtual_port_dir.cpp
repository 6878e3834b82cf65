#include "platform/virtual_port_dir.h"

#include <unistd.h>

namespace k740 {

QString VirtualPortDirectory()
{
    const QString explicitDir = qEnvironmentVariable("K740_VPORT_DIR");
    if (!explicitDir.isEmpty())
        return explicitDir;
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtimeDir.isEmpty())
        return runtimeDir + QStringLiteral("/k740-vports");
    return QStringLiteral("/tmp/k740-vports-%1").arg(getuid());
}

bool IsSafePortName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
            || c == '_' || c == '-';
        if (!ok)
            return false;
    }
    return true;
}

} // namespace k740

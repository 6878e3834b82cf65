#include "platform/virtual_port_dir.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>
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

TPortFolderState CheckPortFolder(const QString& path)
{
    // Without its trailing slash, so that lstat sees a link rather than its target.
    const QByteArray native = QFile::encodeName(QDir::cleanPath(path));
    struct stat info { };
    if (native.isEmpty() || ::lstat(native.constData(), &info) != 0)
        return TPortFolderState::Missing;
    if (S_ISLNK(info.st_mode))
        return TPortFolderState::SymbolicLink;
    if (!S_ISDIR(info.st_mode))
        return TPortFolderState::NotAFolder;
    if (info.st_uid != ::geteuid())
        return TPortFolderState::OtherOwner;
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return TPortFolderState::OpenToOthers;
    return TPortFolderState::Private;
}

QString PortFolderProblem(TPortFolderState state)
{
    switch (state) {
    case TPortFolderState::Private:
        return QStringLiteral("is private");
    case TPortFolderState::Missing:
        return QStringLiteral("does not exist");
    case TPortFolderState::SymbolicLink:
        return QStringLiteral("is a symbolic link");
    case TPortFolderState::NotAFolder:
        return QStringLiteral("is not a folder");
    case TPortFolderState::OtherOwner:
        return QStringLiteral("belongs to another user");
    case TPortFolderState::OpenToOthers:
        return QStringLiteral("is writable by group or others");
    }
    return {};
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

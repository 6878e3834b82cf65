#include "platform/system_port_provider.h"

#include "platform/qt_serial_port.h"
#include "platform/virtual_port_dir.h"

#include <QDir>
#include <QFile>
#include <QSerialPortInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace k740 {

namespace {

// A symbolic link of the user's own that leads to a terminal (character) device.
bool IsOwnLinkToCharacterDevice(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat link { };
    struct stat target { };
    return ::lstat(native.constData(), &link) == 0 && S_ISLNK(link.st_mode) && link.st_uid == ::geteuid()
        && ::stat(native.constData(), &target) == 0 && S_ISCHR(target.st_mode);
}

} // namespace

TSystemPortProvider::TPortMap TSystemPortProvider::listPorts()
{
    TPortMap ports;
    const auto add = [&ports](const QString& name, const QString& path) {
        if (IsSafePortName(name) && !ports.contains(name.toUpper()))
            ports.insert(name.toUpper(), {name, path});
    };
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.hasVendorIdentifier())
            add(info.portName(), info.systemLocation());
    }
    const QString folder = VirtualPortDirectory();
    const TPortFolderState state = CheckPortFolder(folder);
    if (state != TPortFolderState::Private) {
        if (state != TPortFolderState::Missing && !FolderIgnoredReported) {
            FolderIgnoredReported = true;
            std::fprintf(stderr, "k740: virtual-port folder %s ignored: it %s\n", qPrintable(folder),
                qPrintable(PortFolderProblem(state)));
        }
        return ports;
    }
    const QDir dir(folder);
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        const QString path = dir.filePath(entry);
        if (IsOwnLinkToCharacterDevice(path))
            add(entry, path);
    }
    return ports;
}

QStringList TSystemPortProvider::candidatePorts()
{
    Ports = listPorts();
    QStringList names;
    for (const TPort& port : std::as_const(Ports))
        names << port.Name;
    std::sort(names.begin(), names.end(),
        [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return names;
}

TOpenedPort TSystemPortProvider::open(const QString& portName)
{
    if (!Ports.contains(portName.toUpper()))
        Ports = listPorts();
    const auto found = Ports.constFind(portName.toUpper());
    if (found == Ports.constEnd()) {
        TOpenedPort missing;
        missing.Result = TLinkResult::fromErrno(ENOENT);
        return missing;
    }
    return TQtSerialPort::open(found->DevicePath);
}

} // namespace k740

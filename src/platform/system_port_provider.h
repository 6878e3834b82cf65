#pragma once
#include "platform/serial_port.h"

#include <QMap>

namespace k740 {

// The machine's candidate ports: USB serial devices (named by their tty name,
// e.g. ttyUSB0 or ttyACM0) and the virtual ports that simulators publish as
// symbolic links to terminal devices in VirtualPortDirectory() (named by the
// link, e.g. vcom0). The folder is used only when CheckPortFolder() finds it
// private, and only links owned by the user count; a folder that exists but
// is not private is reported once on standard error. Names that are not safe
// port names are left out; when a name occurs twice, the USB device wins.
class TSystemPortProvider final : public IPortProvider {
public:
    QStringList candidatePorts() override;
    // Opens a port by a name from candidatePorts(); a name that is no longer
    // listed gives ENOENT.
    TOpenedPort open(const QString& portName) override;

private:
    struct TPort {
        QString Name;
        QString DevicePath;
    };
    // Keyed by the upper-cased name: names that differ only in case are one port.
    using TPortMap = QMap<QString, TPort>;
    TPortMap listPorts();

    TPortMap Ports; // as of the last listing
    bool FolderIgnoredReported = false;
};

} // namespace k740

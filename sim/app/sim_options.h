#pragma once
#include "device/device_config.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace k740sim {

// What k740-sim was asked to do on its command line.
struct SimOptions {
    QString dir;            // folder of the published link
    QString name;           // link name in that folder
    QString commandLogPath; // empty: no command log
    DeviceConfig device;
};

// Parses the arguments (argv[0] first). Prints the help and exits for
// --help; returns nothing and sets error for invalid input.
std::optional<SimOptions> ParseSimOptions(const QStringList& arguments, QString& error);

} // namespace k740sim

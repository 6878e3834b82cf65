#pragma once
#include "device/device_config.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace k740sim {

// What k740-sim was asked to do on its command line.
struct TSimOptions {
    QString Dir;            // folder of the published link
    QString Name;           // link name in that folder
    QString CommandLogPath; // empty: no command log
    TDeviceConfig Device;
};

// Parses the arguments (argv[0] first). Prints the help and exits for
// --help; returns nothing and sets error for invalid input.
std::optional<TSimOptions> ParseSimOptions(const QStringList& arguments, QString& error);

} // namespace k740sim

// k740-sim: a K740 interface on a pseudo-terminal (see --help).
#include "app/command_log.h"
#include "app/control_channel.h"
#include "app/device_server.h"
#include "app/sim_options.h"
#include "device/device_model.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

using namespace k740sim;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("k740-sim"));
    std::signal(SIGPIPE, SIG_IGN);

    QString error;
    const auto options = ParseSimOptions(QCoreApplication::arguments(), error);
    TCommandLog log;
    if (!options || !log.open(options->CommandLogPath, error)) {
        std::fprintf(stderr, "k740-sim: %s\n", qPrintable(error));
        return 2;
    }

    TDeviceModel device(options->Device);
    TDeviceServer server(device, log, options->Dir, options->Name);
    TControlChannel control(device, server);
    if (!server.plug(error)) {
        std::fprintf(stderr, "k740-sim: %s\n", qPrintable(error));
        return 1;
    }
    const int result = app.exec();
    server.unplug();
    return result;
}

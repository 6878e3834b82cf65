// K740: creates the interface session and its poll loop, the four windows in
// order, offers the position on the session bus and runs the message loop.
#include "acquisition/interface_session.h"
#include "acquisition/poll_loop.h"
#include "link/command_line.h"
#include "link/version.h"
#include "platform/data_folders.h"
#include "platform/signal_pipe.h"
#include "platform/system_port_provider.h"
#include "service/position_service.h"
#include "settings/settings_file.h"
#include "ui/com_port_form.h"
#include "ui/desktop_start.h"
#include "ui/image_form.h"
#include "ui/main_form.h"
#include "ui/settings_form.h"
#include "ui/window_system.h"

#include <csignal>
#include <cstdio>

using namespace k740;

int main(int argc, char* argv[])
{
    // --help and --version answer without a window (nor a display).
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    switch (StartRequest(arguments)) {
    case TStartRequest::Help:
        std::fputs(qPrintable(CommandLineHelp()), stdout);
        return 0;
    case TStartRequest::Version:
        std::printf("k740 %s\n", qPrintable(ProgramVersion()));
        return 0;
    case TStartRequest::Run:
        break;
    }

    // Qt's own event loop waits with sub-millisecond precision and less
    // overhead than the GLib one, which matters for the 10 ms polling.
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    const std::unique_ptr<QApplication> application = StartOnDesktop(argc, argv);
    const QString programDir = QCoreApplication::applicationDirPath() + '/';

    TSystemPortProvider ports;
    const TDataFolders folders = ChooseDataFolders(programDir, InspectProgramFolder(programDir));
    // A section the file cannot hold would make every save fail.
    const QString filterProblem = SerialFilterProblem(folders.Settings, ParseCommandLine(arguments).SerialFilter);
    if (!filterProblem.isEmpty()) {
        std::fprintf(stderr, "k740: %s\n", qPrintable(filterProblem));
        return 2;
    }
    TInterfaceSession session(ports, folders, ParseCommandLine(QCoreApplication::arguments().mid(1)));
    TPollLoop loop(session);
    TMainForm mainForm(session, loop);
    TComPortForm comPortForm(&mainForm);
    TSettingsForm settingsForm(&mainForm);
    TImageForm imageForm(&mainForm);
    mainForm.setDialogs(&comPortForm, &settingsForm);
    QObject::connect(&settingsForm, &TSettingsForm::timingDiagramRequested, &imageForm, &TImageForm::openDiagram);
    QObject::connect(&settingsForm, &TSettingsForm::timingDiagramDismissed, &imageForm, &QWidget::close);

    // SIGINT, SIGTERM and SIGHUP (the terminal closed) end the program with
    // its exit steps, so nothing is lost; a second one ends it at once.
    TSignalPipe termination({SIGINT, SIGTERM, SIGHUP}, TSignalRepeat::EndsProcess);
    QObject::connect(&termination, &TSignalPipe::received, &mainForm, &TMainForm::closeOnSignal);

    mainForm.show();
    TPositionService positionService(session, [&mainForm] { return NativeWindowId(mainForm); });
    positionService.start();
    loop.start();
    const int result = application->exec();
    const bool saved = mainForm.FormDestroy();
    return saved ? result : 1;
}

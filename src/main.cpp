// K740: creates the four windows in order and runs the message loop.
#include "platform/system_port_provider.h"
#include "ui/com_port_form.h"
#include "ui/image_form.h"
#include "ui/main_form.h"
#include "ui/settings_form.h"
#include "ui/termination_signals.h"

#include <QApplication>

using namespace k740;

int main(int argc, char* argv[])
{
    // Qt's own event loop waits with sub-millisecond precision and less
    // overhead than the GLib one, which matters for the 10 ms polling.
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QApplication application(argc, argv);
    const QString programDir = QCoreApplication::applicationDirPath() + '/';

    SystemPortProvider ports;
    TMainForm mainForm(ports, QCoreApplication::arguments().mid(1), programDir);
    TComPortForm comPortForm(&mainForm);
    TSettingsForm settingsForm(&mainForm);
    TImageForm imageForm(&mainForm);
    mainForm.setDialogs(&comPortForm, &settingsForm);
    QObject::connect(&settingsForm, &TSettingsForm::timingDiagramRequested, &imageForm, &TImageForm::OpenDiagram);
    QObject::connect(&settingsForm, &TSettingsForm::timingDiagramDismissed, &imageForm, &QWidget::close);

    // SIGINT and SIGTERM close the window like the user does, so the exit
    // steps run and nothing is lost.
    CloseOnTerminationSignals(&mainForm);

    mainForm.show();
    const int result = application.exec();
    mainForm.FormDestroy();
    return result;
}

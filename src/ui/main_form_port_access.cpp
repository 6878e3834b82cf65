// A candidate port that could not be opened.
#include "ui/main_form.h"

#include "platform/port_permission.h"
#include "ui/widgets/panel.h"

#include <cerrno>
#include <cstdio>

namespace k740 {

// "Last Error: <code>" in the status bar; for a permission problem or a port
// another program holds also a hint there and, once per port, error and run,
// the same on standard error.
void TMainForm::showOpenFailure(int errorCode, const QString& portName)
{
    ui.StPanel2->setText("Last Error: " + QString::number(errorCode));
    const TConnectionHint::TOpenFailure failure = ConnectionHint.openFailed(errorCode, portName);
    if (!failure.Explained) {
        ui.StPanel2->setToolTip(QString());
        return;
    }
    const QString hint = errorCode == EBUSY ? PortBusyHint(portName) : PortPermissionHint(portName);
    ui.StPanel2->setToolTip(hint);
    if (failure.FirstReport)
        std::fprintf(stderr, "k740: %s\n", qPrintable(QString(hint).replace('\n', ' ')));
}

} // namespace k740

// A candidate port that could not be opened.
#include "ui/main_form.h"

#include "platform/port_permission.h"
#include "ui/widgets/panel.h"

#include <cerrno>
#include <cstdio>

namespace k740 {

// "Last Error: <code>" in the status bar; for a port another program holds
// or a permission problem also a hint there and, once per port and run, the
// same on standard error.
void TMainForm::showOpenFailure(const QString& portName, const TLinkResult& result, qint64 holderPid)
{
    ui.StPanel2->setText("Last Error: " + QString::number(result.OsError));
    const TConnectionHint::TOpenFailure failure = ConnectionHint.openFailed(result, portName);
    QString hint;
    if (failure.Busy)
        hint = PortInUseHint(portName, holderPid);
    else if (failure.Permission)
        hint = PortPermissionHint(portName);
    ui.StPanel2->setToolTip(hint);
    if (failure.FirstReport)
        std::fprintf(stderr, "k740: %s\n", qPrintable(QString(hint).replace('\n', ' ')));
}

} // namespace k740

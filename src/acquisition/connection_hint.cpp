#include "acquisition/connection_hint.h"

#include <cerrno>

namespace k740 {

namespace {
constexpr uint32_t kFiguresPeriodMs = 1000;
}

TConnectionHint::TOpenFailure TConnectionHint::openFailed(const TLinkResult& result, const QString& portName)
{
    TOpenFailure failure;
    failure.Permission = result.Outcome == TLinkOutcome::SystemError && result.OsError == EACCES;
    failure.Busy = result.Outcome == TLinkOutcome::Busy;
    PortHintShown = failure.Permission || failure.Busy;
    QSet<QString>& reported = failure.Busy ? BusyReported : PermissionReported;
    if (PortHintShown && !reported.contains(portName)) {
        reported.insert(portName);
        failure.FirstReport = true;
    }
    return failure;
}

void TConnectionHint::connected()
{
    PortHintShown = false;
    FiguresTick.reset();
}

bool TConnectionHint::figuresDue(uint32_t now)
{
    if (PortHintShown || (FiguresTick && uint32_t(now - *FiguresTick) < kFiguresPeriodMs))
        return false;
    FiguresTick = now;
    return true;
}

QString PortInUseHint(const QString& portName, int64_t holderPid)
{
    const QString holder = holderPid > 0 ? QStringLiteral(" (process %1)").arg(holderPid) : QString();
    return QStringLiteral("%1 is in use by another program%2; it is tried again every second.").arg(portName, holder);
}

} // namespace k740

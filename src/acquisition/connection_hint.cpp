#include "acquisition/connection_hint.h"

#include <cerrno>

namespace k740 {

namespace {
constexpr uint32_t kFiguresPeriodMs = 1000;
}

TConnectionHint::TOpenFailure TConnectionHint::openFailed(int errorCode, const QString& portName)
{
    PermissionHintShown = errorCode == EACCES;
    TOpenFailure failure;
    failure.Permission = PermissionHintShown;
    if (PermissionHintShown && !PermissionReported.contains(portName)) {
        PermissionReported.insert(portName);
        failure.FirstReport = true;
    }
    return failure;
}

void TConnectionHint::connected()
{
    PermissionHintShown = false;
    FiguresTick.reset();
}

bool TConnectionHint::figuresDue(uint32_t now)
{
    if (PermissionHintShown || (FiguresTick && uint32_t(now - *FiguresTick) < kFiguresPeriodMs))
        return false;
    FiguresTick = now;
    return true;
}

} // namespace k740

#include "acquisition/connection_hint.h"

#include <cerrno>

namespace k740 {

namespace {
constexpr uint32_t kFiguresPeriodMs = 1000;
}

TConnectionHint::TOpenFailure TConnectionHint::openFailed(int errorCode, const QString& portName)
{
    ExplanationShown = errorCode == EACCES || errorCode == EBUSY;
    TOpenFailure failure;
    failure.Explained = ExplanationShown;
    const QString report = portName + ':' + QString::number(errorCode);
    if (ExplanationShown && !Reported.contains(report)) {
        Reported.insert(report);
        failure.FirstReport = true;
    }
    return failure;
}

void TConnectionHint::connected()
{
    ExplanationShown = false;
    FiguresTick.reset();
}

bool TConnectionHint::figuresDue(uint32_t now)
{
    if (ExplanationShown || (FiguresTick && uint32_t(now - *FiguresTick) < kFiguresPeriodMs))
        return false;
    FiguresTick = now;
    return true;
}

} // namespace k740

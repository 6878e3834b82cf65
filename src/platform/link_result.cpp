#include "platform/link_result.h"

#include "platform/system_error.h"

#include <cerrno>

namespace k740 {

TLinkResult TLinkResult::fromErrno(int code)
{
    const bool busy = code == EBUSY || code == EWOULDBLOCK;
    return {busy ? TLinkOutcome::Busy : TLinkOutcome::SystemError, code};
}

QString LinkResultText(const TLinkResult& result)
{
    switch (result.Outcome) {
    case TLinkOutcome::Ok:
        return QStringLiteral("done");
    case TLinkOutcome::Timeout:
        return QStringLiteral("no reply");
    case TLinkOutcome::NoPort:
        return QStringLiteral("no port");
    case TLinkOutcome::Busy:
        return QStringLiteral("in use by another program");
    case TLinkOutcome::Refused:
        return QStringLiteral("refused");
    case TLinkOutcome::SystemError:
        break;
    }
    return SystemErrorText(result.OsError);
}

} // namespace k740

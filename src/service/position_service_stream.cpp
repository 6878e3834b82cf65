// The position service's figures of the link and its streams of cycles.
#include "service/position_service.h"

#include "acquisition/interface_session.h"

#include <QDBusError>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace k740 {

QVariantMap TPositionService::statistics() const
{
    const TLinkFigures f = Session.linkFigures();
    return {
        {"Seconds", f.Seconds},
        {"ConnectedSeconds", f.ConnectedSeconds},
        {"Cycles", qulonglong(f.Cycles)},
        {"Exchanges", qulonglong(f.Exchanges)},
        {"Frames", qulonglong(f.Frames)},
        {"InvalidFrames", qulonglong(f.InvalidFrames)},
        {"CrcFailures", qulonglong(f.CrcFailures)},
        {"Timeouts", qulonglong(f.Timeouts)},
        {"IncompleteReplies", qulonglong(f.IncompleteReplies)},
        {"LateReplies", qulonglong(f.LateReplies)},
        {"LinkLosses", qulonglong(f.LinkLosses)},
        {"DroppedRows", qulonglong(f.DroppedRows)},
        {"PollingRate", f.PollingRate},
        {"RoundTripMedianUs", uint(f.RoundTripMedianUs)},
        {"RoundTripP99Us", uint(f.RoundTripP99Us)},
    };
}

void TPositionService::ResetStatistics()
{
    Session.resetLinkFigures();
}

// One end of a socket pair of the caller's own; the program's end is
// written without waiting, so a slow reader only loses rows.
QDBusUnixFileDescriptor TPositionService::OpenStream()
{
    if (calledFromDBus() && !(Bus.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing)) {
        sendErrorReply(QDBusError::NotSupported, "this bus connection cannot pass file descriptors");
        return {};
    }
    const int reader = Session.openStream();
    if (reader < 0) {
        const int error = errno;
        if (calledFromDBus())
            sendErrorReply(QDBusError::Failed, QStringLiteral("no stream: %1").arg(std::strerror(error)));
        return {};
    }
    const QDBusUnixFileDescriptor handed(reader); // a copy of its own, which the reply takes along
    ::close(reader);
    return handed;
}

} // namespace k740

#pragma once
#include "platform/link_result.h"

#include <QSet>
#include <QString>
#include <cstdint>
#include <optional>

namespace k740 {

// Which hint the connection field shows: the permission hint of a port that
// could not be opened for lack of permission, the in-use hint of a port
// another program holds, or else the link's figures, renewed at most once
// a second.
class TConnectionHint {
public:
    struct TOpenFailure {
        bool Permission = false;  // the permission hint is the field's hint now
        bool Busy = false;        // the in-use hint is the field's hint now
        bool FirstReport = false; // first time for this port and problem in this run: tell standard error too
    };
    // A candidate port did not open.
    TOpenFailure openFailed(const TLinkResult& result, const QString& portName);
    // A connection was made; its figures may become the hint at once.
    void connected();
    // Whether the link's figures become the hint at tick `now`; when they
    // do, the next second counts from `now`.
    bool figuresDue(uint32_t now);

private:
    QSet<QString> PermissionReported;    // ports whose permission problem went to standard error
    QSet<QString> BusyReported;          // ports whose being in use went to standard error
    bool PortHintShown = false;          // the field's hint is the permission or in-use hint
    std::optional<uint32_t> FiguresTick; // when the figures last became the hint
};

// The in-use hint: "<port> is in use by another program (process <pid>)",
// without the process when it is not known, and that the search tries again.
QString PortInUseHint(const QString& portName, int64_t holderPid);

} // namespace k740

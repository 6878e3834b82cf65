#pragma once
#include <QSet>
#include <QString>
#include <cstdint>
#include <optional>

namespace k740 {

// Which hint the connection field shows: the permission hint of a port that
// could not be opened for lack of permission, or else the link's figures,
// renewed at most once a second.
class TConnectionHint {
public:
    struct TOpenFailure {
        bool Permission = false;  // the permission hint is the field's hint now
        bool FirstReport = false; // first time for this port in this run: tell standard error too
    };
    // A candidate port did not open with the OS error `errorCode`.
    TOpenFailure openFailed(int errorCode, const QString& portName);
    // A connection was made; its figures may become the hint at once.
    void connected();
    // Whether the link's figures become the hint at tick `now`; when they
    // do, the next second counts from `now`.
    bool figuresDue(uint32_t now);

private:
    QSet<QString> PermissionReported;    // ports whose permission problem went to standard error
    bool PermissionHintShown = false;    // the field's hint is the permission hint
    std::optional<uint32_t> FiguresTick; // when the figures last became the hint
};

} // namespace k740

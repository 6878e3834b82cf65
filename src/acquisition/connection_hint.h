#pragma once
#include <QSet>
#include <QString>
#include <cstdint>
#include <optional>

namespace k740 {

// Which hint the connection field shows: why a port could not be opened,
// for lack of permission or because another program holds it, or else the
// link's figures, renewed at most once a second.
class TConnectionHint {
public:
    struct TOpenFailure {
        bool Explained = false;   // the field's hint explains the failure now
        bool FirstReport = false; // first time for this port and error in this run: tell standard error too
    };
    // A candidate port did not open with the OS error `errorCode`.
    TOpenFailure openFailed(int errorCode, const QString& portName);
    // A connection was made; its figures may become the hint at once.
    void connected();
    // Whether the link's figures become the hint at tick `now`; when they
    // do, the next second counts from `now`.
    bool figuresDue(uint32_t now);

private:
    QSet<QString> Reported;              // port and error code of the explanations that went to standard error
    bool ExplanationShown = false;       // the field's hint explains an open failure
    std::optional<uint32_t> FiguresTick; // when the figures last became the hint
};

} // namespace k740

#pragma once
#include <QString>
#include <cstdint>

namespace k740 {

// What an operation on the serial link came to: opening a port, setting
// its line, writing, or a whole command exchange with the interface.
enum class TLinkOutcome : uint8_t {
    Ok,          // done; for an exchange, a complete reply arrived
    Timeout,     // no complete reply within the time allowed
    NoPort,      // no open port: nothing was sent
    Busy,        // the port is held by another program
    Refused,     // the interface answered that it did not carry the command out
    SystemError, // the operating system refused; OsError says why
};

// One outcome and, where the operating system gave one, its error code.
struct TLinkResult {
    TLinkOutcome Outcome = TLinkOutcome::Ok;
    int OsError = 0; // the errno of Busy and SystemError, else 0

    bool ok() const { return Outcome == TLinkOutcome::Ok; }
    // Busy for EBUSY and EWOULDBLOCK (a port held elsewhere), else SystemError.
    static TLinkResult fromErrno(int code);
    friend bool operator==(const TLinkResult& a, const TLinkResult& b)
    {
        return a.Outcome == b.Outcome && a.OsError == b.OsError;
    }
    friend bool operator!=(const TLinkResult& a, const TLinkResult& b) { return !(a == b); }
};

inline constexpr TLinkResult kLinkOk{};
inline constexpr TLinkResult kLinkTimeout{TLinkOutcome::Timeout, 0};
inline constexpr TLinkResult kLinkNoPort{TLinkOutcome::NoPort, 0};
inline constexpr TLinkResult kLinkRefused{TLinkOutcome::Refused, 0};

// For messages and traces: "done", "no reply", "no port", "in use by
// another program", "refused", or the system's description of the error.
QString LinkResultText(const TLinkResult& result);

} // namespace k740

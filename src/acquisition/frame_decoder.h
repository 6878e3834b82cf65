#pragma once
#include "link/interface_identity.h"

#include <QByteArray>
#include <cstdint>

namespace k740 {

struct TEncoderSettings;

// The decoded values of one position reply. Every member keeps its value
// until a decoding path writes it.
struct TDecodedFrame {
    int64_t Position = 0;
    int32_t Turns = 0; // all frame bits above the position field
    uint32_t Status = 0;
    uint32_t DetailedStatus = 0;
    uint32_t Padding = 0;
    uint32_t ReceivedCrc = 0;
    int64_t RefLatch = 0; // count latched at the last reference mark
    int32_t RefEvent = 0; // counting reply's flag; 1 = new mark latched
};

enum TFrameKind { fkCounter, fkSsiShort, fkSsiLong, fkBiss };

// Bit helpers for counts that come from a user-editable file: a negative
// count counts as 0, a shift by 64 or more gives 0, Mask(64 or more) is all ones.
uint64_t Mask(int64_t bits);
uint64_t ShiftLeft(uint64_t value, int64_t bits);
uint64_t ShiftRight(uint64_t value, int64_t bits);

// The absolute interface reads SSI or BiSS-C frames (BiSS first, then
// LongFrame); the counting interface its count triple.
TFrameKind FrameKindFor(TInterfaceKind interfaceKind, const TEncoderSettings& active);
// The position request: "4" for the hexadecimal captures, else "?".
QByteArray PositionRequest(TFrameKind kind);

// What decoding a reply found: Valid is false when the reply is unusable
// (then nothing was written), CrcOk false on a BiSS-C CRC mismatch (the
// fields stay written).
struct TFrameChecks {
    bool Valid = true;
    bool CrcOk = true;
};

// Decodes one position reply into frame. A reply is usable only in the
// shape of its path: "count:latch:flag" of three 32-bit decimals (blanks
// around them allowed), which also renews RefEvent; the short SSI frame
// as one decimal number of at most 31 bits (digits only); a capture as the long SSI and
// BiSS-C paths check it. The position of an SSI frame (short or long) is
// converted from Gray code when GrayCode is set.
TFrameChecks Decode(const QByteArray& reply, TFrameKind kind, const TEncoderSettings& active, TDecodedFrame& frame);

// The fields of a "first:second:third\r" reply, split at the first two ":";
// the third field loses the reply's last character (its carriage return).
// A missing ":" leaves the fields before it empty: a reply without any ":"
// is all third field.
struct TReplyFields {
    QByteArray First;
    QByteArray Second;
    QByteArray Third;
};
TReplyFields SplitReplyFields(const QByteArray& reply);

// text without leading and trailing blanks and control characters.
QByteArray TrimBlanks(const QByteArray& text);

// Cycle step for an inverted direction of count, on the values a frame of
// `kind` renewed: Position always, RefLatch from the counting interface,
// and from the SSI and BiSS-C frames Turns, which becomes
// (-Turns) AND mask(multiturnBits) when multiturnBits >= 1.
void InvertDirection(TDecodedFrame& frame, TFrameKind kind, int32_t multiturnBits);

int64_t GrayToBinary(int64_t value);

// CRC-6 (x^6 + x + 1, start value 0) over `groups` 6-bit groups of data,
// most significant group first.
uint8_t BissCrc6(int32_t groups, uint64_t data);
extern const uint8_t Crc6Table[64];

} // namespace k740

#pragma once
#include "link/transaction.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace k740 {

struct TDecodedFrame;
struct TFrameChecks;

// What the status field behind the read-out shows: no error and no warning,
// a warning, or an error (also an unusable frame or a CRC mismatch). With
// activeLow the Error and Warning bits are inverted.
enum class TStatusLevel { Good, Warning, Error };
TStatusLevel StatusLevel(uint32_t status, bool activeLow, const TFrameChecks& checks);

// The low `width` bits of value as "0"/"1", most significant first. Widths
// below 1 give an empty text; widths above 64 are cut to 64 characters.
QString BitString(uint32_t value, int32_t width);

// "Status: " + status bits, then " " + detailed status bits when there are any.
QString StatusText(const TDecodedFrame& frame, int32_t statusBits, int32_t detailedStatusBits);

// Captions of the extended status bar from the result and reply of the
// "p", "r"/"s" and "e" requests.
QString PinsCaption(const TLinkResult& result, const QByteArray& reply);
QByteArray SerialRequest(bool secondSerial);
QString SerialCaption(const TLinkResult& result, const QByteArray& reply, bool secondSerial, int32_t firmwareVersion);
QString SupplyCaption(const TLinkResult& result, const QByteArray& reply);

// The encoder supply as an "e" exchange told it: its state field "1" is on,
// anything else off; unknown without a reply.
enum class TSupplyState { Unknown, On, Off };
TSupplyState SupplyStateOf(const TLinkResult& result, const QByteArray& reply);

// One reading of the supply reply ("5,02 V", "4980 mV", "85.3 mA") rewritten
// with the user's decimal separator; the first reading keeps 2 decimals
// unless it is in mV.
QString FormatSupplyReading(const QString& reading, bool firstReading);

} // namespace k740

#pragma once
#include "device/frame_layout.h"

#include <QByteArray>
#include <cstdint>

namespace k740sim {

// Line-level frames of absolute encoders as the interface samples them.

uint64_t LowBitsMask(int bits);
uint64_t BinaryToGray(uint64_t value);

// CRC-6 with polynomial x^6 + x + 1 and start value 0 over the low bitCount
// bits of data, most significant first (not inverted).
uint8_t Crc6OfBits(uint64_t data, int bitCount);

// The SSI data word Turns|Position|Padding|Status|Detail; bits above the
// 64th are lost.
uint64_t SsiDataWord(const TFrameLayout& layout, const TFrameFields& fields);

// Short SSI reply value: the first clockedBits (at most 31) bits of the SSI
// data stream, zeros after the end of the frame.
uint32_t SsiShortFrame(const TFrameLayout& layout, const TFrameFields& fields, int clockedBits);

// 64-bit capture of an SSI line: a 1, then the data bits, then zeros.
uint64_t SsiLongCapture(const TFrameLayout& layout, const TFrameFields& fields);

// 64-bit capture of a BiSS-C line: idle "11", ackBits zeros, Start 1, CDS 0,
// Turns|Position|Padding|Status, the inverted CRC-6 (crcBits wide, XOR
// crcFlip to corrupt it), then zeros.
uint64_t BissCapture(const TFrameLayout& layout, const TFrameFields& fields, int ackBits, uint64_t crcFlip = 0);

// 16 upper-case hexadecimal digits.
QByteArray HexCapture(uint64_t capture);

} // namespace k740sim

#pragma once
#include <cstddef>

namespace k740 {

// How a packet fared on a socket written without waiting.
enum class TPacketSent {
    Sent,
    Full,   // the reader's queue has no room: the packet is dropped
    Closed, // the reader's end is gone (or the socket failed): nothing more will arrive
};

// Both ends of a socket pair (AF_UNIX, SOCK_SEQPACKET) that keeps packets
// whole, close-on-exec; false with errno set when the system gives none.
bool OpenPacketPair(int& writer, int& reader);

// Sends one packet on `fd` without waiting, and without SIGPIPE when the
// reader has gone.
TPacketSent SendPacket(int fd, const char* data, size_t size);

} // namespace k740

#include "platform/packet_socket.h"

#include <cerrno>
#include <sys/socket.h>

namespace k740 {

bool OpenPacketPair(int& writer, int& reader)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    writer = ends[0];
    reader = ends[1];
    return true;
}

TPacketSent SendPacket(int fd, const char* data, size_t size)
{
    for (;;) {
        if (::send(fd, data, size, MSG_DONTWAIT | MSG_NOSIGNAL) >= 0)
            return TPacketSent::Sent;
        if (errno == EINTR)
            continue;
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS ? TPacketSent::Full : TPacketSent::Closed;
    }
}

} // namespace k740

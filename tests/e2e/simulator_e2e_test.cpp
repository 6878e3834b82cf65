// k740-sim as a user meets it after a host that was killed.
#include "e2e/e2e_harness.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

// A host killed while it held the terminal exclusive (TIOCEXCL, as Qt Serial
// Port opens it) leaves a terminal that nobody but root could open again:
// the simulator gives the next host a usable one under the same name. Root
// opens an exclusive terminal anyway, so this runs as another user.
TEST(SimulatorPermissions, TerminalLeftExclusiveByAKilledHostServesTheNextOne)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root opens an exclusive terminal anyway";
    QTemporaryDir vports;
    SimulatorProcess sim(vports.path(), "vcom0", {"--encoder", "counter", "--kind", "Q"});
    ASSERT_TRUE(sim.ready());
    const QByteArray link = QFile::encodeName(vports.path() + "/vcom0");
    const int killed = ::open(link.constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(killed, 0);
    ASSERT_EQ(::ioctl(killed, TIOCEXCL), 0);
    ::close(killed); // as the end of a killed process closes it: the flag stays

    int fd = -1;
    for (QDeadlineTimer deadline(5000); fd < 0 && !deadline.hasExpired(); QThread::msleep(20))
        fd = ::open(link.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0) << "still busy: " << std::strerror(errno);
    ASSERT_EQ(::write(fd, "v", 1), 1);
    QByteArray reply;
    for (QDeadlineTimer deadline(2000); !reply.endsWith('\r') && !deadline.hasExpired();) {
        pollfd ready{fd, POLLIN, 0};
        char bytes[64];
        if (::poll(&ready, 1, 50) > 0) {
            const ssize_t n = ::read(fd, bytes, sizeof bytes);
            reply += QByteArray(bytes, int(std::max<ssize_t>(n, 0)));
        }
    }
    ::close(fd);
    EXPECT_TRUE(reply.startsWith("K740-9Q")) << reply.toStdString();
}

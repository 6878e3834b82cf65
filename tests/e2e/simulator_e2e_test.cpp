// k740-sim as a user meets it after a host that was killed.
#include "support/e2e_harness.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSerialPort>
#include <QThread>
#include <fcntl.h>
#include <gtest/gtest.h>
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
    const int killed = ::open(QFile::encodeName(vports.path() + "/vcom0").constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(killed, 0);
    ASSERT_EQ(::ioctl(killed, TIOCEXCL), 0);
    ::close(killed); // as the end of a killed process closes it: the flag stays

    QSerialPort next(vports.path() + "/vcom0");
    for (QDeadlineTimer deadline(5000); !next.open(QIODevice::ReadWrite) && !deadline.hasExpired();)
        QThread::msleep(20);
    ASSERT_TRUE(next.isOpen()) << next.errorString().toStdString();
    next.write("v");
    QByteArray reply;
    while (!reply.endsWith('\r') && next.waitForReadyRead(2000))
        reply += next.readAll();
    EXPECT_TRUE(reply.startsWith("K740-9Q")) << reply.toStdString();
}

#include "record_output.h"

#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace k740client;

// A file that cannot grow (a full disk; here a file size limit) keeps whole
// rows only: the row that did not fit is taken out again.
TEST(RecordOutput, RowThatDoesNotFitIsTakenOutAgain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("run.csv");
    const QByteArray row = "17.015606,1929,4122,4.122,\"4.122\",1,1\n";
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        TRecordOutput out;
        if (out.open(path) != TRecordOutput::TOpen::Open)
            ::_exit(2);
        while (out.write(row)) { }
        ::_exit(out.error() == QString::fromLocal8Bit(std::strerror(EFBIG)) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), row.repeated(100 / row.size()));
}

// Opening a FIFO that nobody reads does not wait for a reader.
TEST(RecordOutput, FifoWithoutAReaderIsNotWaitedOn)
{
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath("run.csv"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    TRecordOutput out;
    EXPECT_EQ(out.open(QFile::decodeName(fifo)), TRecordOutput::TOpen::NoReader);
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(out.open(QFile::decodeName(fifo)), TRecordOutput::TOpen::Open);
    EXPECT_TRUE(out.write("a\n"));
    char read[3] = {};
    EXPECT_EQ(::read(reader, read, sizeof read), 2);
    EXPECT_STREQ(read, "a\n");
    ::close(reader);
}

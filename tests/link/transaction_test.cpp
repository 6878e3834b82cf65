#include "link/transaction.h"
#include "platform/serial_port.h"
#include "platform/tick_counter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <deque>
#include <gtest/gtest.h>

using namespace k740;

namespace {

// A device on a virtual millisecond clock: each write starts the next scripted
// answer, whose pieces become readable at their times after the write.
// Waiting moves the clock forward; the tick counter follows it.
class ScriptedPort : public ISerialPort {
public:
    struct Piece {
        uint32_t afterMs;
        QByteArray bytes;
    };

    uint32_t now = 1000;
    std::deque<std::vector<Piece>> answers; // one per write, in order
    QByteArray received;                    // readable now (the driver's queue)
    QByteArray written;
    int writeError = 0;       // when set, write() fails with this error
    uint32_t closesAt = 0;    // when set, the device vanishes at this time
    std::vector<int> waitsMs; // every waitForReadyRead timeout asked for

    TLinkResult configureLine() override { return kLinkOk; }
    TLinkResult restoreLine() override { return kLinkOk; }

    TLinkResult write(const QByteArray& data) override
    {
        if (writeError)
            return TLinkResult::fromErrno(writeError);
        written += data;
        if (!answers.empty()) {
            for (const Piece& piece : answers.front())
                pending.push_back({now + piece.afterMs, piece.bytes});
            answers.pop_front();
        }
        return kLinkOk;
    }
    int bytesWaiting() override
    {
        deliverDue();
        return int(received.size());
    }
    QByteArray read(int maxBytes) override
    {
        const QByteArray bytes = received.left(maxBytes);
        received.remove(0, bytes.size());
        return bytes;
    }
    bool waitForReadyRead(int timeoutMs) override
    {
        waitsMs.push_back(timeoutMs);
        deliverDue();
        if (!received.isEmpty())
            return true;
        uint32_t wakeAt = now + uint32_t(timeoutMs);
        for (const Piece& piece : pending)
            wakeAt = std::min(wakeAt, piece.afterMs);
        if (closesAt && closesAt - now <= wakeAt - now) {
            now = closesAt;
            open = false;
            return false;
        }
        now = wakeAt;
        deliverDue();
        return !received.isEmpty();
    }
    QString name() const override { return QStringLiteral("scripted"); }
    bool isOpen() const override { return open; }
    void close() override { open = false; }

private:
    // Moves pieces whose time has come into the receive queue, in order.
    void deliverDue()
    {
        std::stable_sort(
            pending.begin(), pending.end(), [](const Piece& a, const Piece& b) { return a.afterMs < b.afterMs; });
        while (!pending.empty() && int32_t(now - pending.front().afterMs) >= 0) {
            received += pending.front().bytes;
            pending.pop_front();
        }
    }

    std::deque<Piece> pending; // afterMs holds the absolute arrival time here
    bool open = true;
};

class TransactTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetTickSource([this] { return port.now; });
    }
    void TearDown() override { SetTickSource({}); }

    // Runs Transact and notes how long it took on the virtual clock.
    TLinkResult transact(const QByteArray& command, QByteArray& reply, int expectedLength = 0, bool pump = false)
    {
        const uint32_t start = port.now;
        const TLinkResult result = Transact(&port, command, expectedLength, pump, reply);
        tookMs = port.now - start;
        return result;
    }

    ScriptedPort port;
    uint32_t tookMs = 0;
};

TEST_F(TransactTest, AssemblesPiecesInOrderAndCompletesOnTheCarriageReturn)
{
    port.answers.push_back({{2, "K740-"}, {4, "9Q 1"}, {7, ".17\r"}});
    QByteArray reply = "old";
    EXPECT_EQ(transact("v", reply), kLinkOk);
    EXPECT_EQ(reply, "K740-9Q 1.17\r");
    EXPECT_EQ(port.written, "v");
    EXPECT_EQ(tookMs, 7u);
}

TEST_F(TransactTest, KeepsBytesAfterTheCarriageReturn)
{
    port.answers.push_back({{1, "12\r34"}});
    QByteArray reply;
    EXPECT_EQ(transact("?", reply), kLinkOk);
    EXPECT_EQ(reply, "12\r34");
}

TEST_F(TransactTest, SilenceTimesOutJustAfter100msWithAnEmptyReply)
{
    QByteArray reply = "old";
    EXPECT_EQ(transact("v", reply), kLinkTimeout);
    EXPECT_TRUE(reply.isEmpty());
    EXPECT_GT(tookMs, kReplyTimeoutMs);
    EXPECT_LE(tookMs, kReplyTimeoutMs + 2);
}

// A reply is only ever the answer to the request it follows.
TEST_F(TransactTest, LateBytesAreDroppedBeforeTheNextRequest)
{
    port.answers.push_back({{10, "12"}, {150, "34\r"}});
    port.answers.push_back({{1, "56\r"}});
    QByteArray reply;
    EXPECT_EQ(transact("?", reply), kLinkTimeout);
    EXPECT_EQ(reply, "12");

    port.now += 60; // the next exchange comes after the late bytes arrived
    int late = -1;
    EXPECT_EQ(Transact(&port, "?", 0, false, reply, &late), kLinkOk);
    EXPECT_EQ(reply, "56\r");
    EXPECT_EQ(late, 3);
    port.answers.push_back({{1, "78\r"}});
    EXPECT_EQ(Transact(&port, "?", 0, false, reply, &late), kLinkOk);
    EXPECT_EQ(late, 0);
}

TEST_F(TransactTest, ExpectedLengthCountsBytesInsteadOfLookingForTheCarriageReturn)
{
    port.answers.push_back({{1, "123"}, {3, "45"}});
    port.answers.push_back({{1, "ab\r"}});
    QByteArray reply;
    EXPECT_EQ(transact("x", reply, 5), kLinkOk);
    EXPECT_EQ(reply, "12345");
    EXPECT_EQ(transact("x", reply, 5), kLinkTimeout);
    EXPECT_EQ(reply, "ab\r");
}

TEST_F(TransactTest, TickCounterWrapNeitherEndsNorProlongsTheWait)
{
    port.now = 0xFFFFFFFFu - 30;
    port.answers.push_back({{90, "late but in time\r"}});
    QByteArray reply;
    EXPECT_EQ(transact("v", reply), kLinkOk);
    EXPECT_EQ(tookMs, 90u);

    port.now = 0xFFFFFFFFu - 30;
    EXPECT_EQ(transact("v", reply), kLinkTimeout);
    EXPECT_GT(tookMs, kReplyTimeoutMs);
    EXPECT_LE(tookMs, kReplyTimeoutMs + 2);
}

TEST_F(TransactTest, WithoutAnOpenPortNothingIsSentAndTheReplyIsUntouched)
{
    QByteArray reply = "kept";
    EXPECT_EQ(Transact(nullptr, "v", 0, false, reply), kLinkNoPort);
    port.close();
    EXPECT_EQ(transact("v", reply), kLinkNoPort);
    EXPECT_EQ(reply, "kept");
    EXPECT_TRUE(port.written.isEmpty());
}

TEST_F(TransactTest, FailedWriteReturnsTheNegatedErrorAndLeavesTheReply)
{
    port.writeError = EIO;
    QByteArray reply = "kept";
    EXPECT_EQ(transact("v", reply), (TLinkResult{TLinkOutcome::SystemError, EIO}));
    EXPECT_EQ(reply, "kept");
}

TEST_F(TransactTest, EndlessReplyIsCappedAndDrained)
{
    port.answers.push_back({{1, QByteArray(3000, 'x')}, {2, QByteArray(3000, 'y')}, {50, QByteArray(3000, 'z')}});
    QByteArray reply;
    EXPECT_EQ(transact("?", reply), kLinkTimeout);
    EXPECT_EQ(reply.size(), kMaxReplyBytes);
    EXPECT_TRUE(reply.startsWith(QByteArray(3000, 'x')));
    EXPECT_EQ(port.bytesWaiting(), 0);

    port.answers.push_back({{1, QByteArray(9000, 'x')}});
    EXPECT_EQ(transact("?", reply, 6000), kLinkOk);
    EXPECT_EQ(reply.size(), 6000);
}

TEST_F(TransactTest, DeviceVanishingDuringTheWaitEndsItAtOnce)
{
    port.closesAt = port.now + 20;
    QByteArray reply;
    EXPECT_EQ(transact("?", reply), kLinkTimeout);
    EXPECT_EQ(tookMs, 20u);
}

TEST_F(TransactTest, WaitsSleepInLongStretchesWithoutPumping)
{
    QByteArray reply;
    transact("v", reply);
    EXPECT_LE(port.waitsMs.size(), 2u);
}

TEST_F(TransactTest, PumpingRunsPendingEventsBetweenShortWaits)
{
    int ran = 0;
    QMetaObject::invokeMethod(
        qApp, [&ran] { ++ran; }, Qt::QueuedConnection);
    QByteArray reply;
    transact("v", reply, 0, false);
    EXPECT_EQ(ran, 0);

    port.waitsMs.clear();
    transact("v", reply, 0, true);
    EXPECT_EQ(ran, 1);
    EXPECT_GT(port.waitsMs.size(), 10u);
    EXPECT_LE(*std::max_element(port.waitsMs.begin(), port.waitsMs.end()), 10);
}

TEST_F(TransactTest, SendNoReplyWritesOnlyTheFirstByteAndReadsNothing)
{
    port.received = "pending";
    EXPECT_EQ(SendNoReply(&port, "cX"), kLinkOk);
    EXPECT_EQ(port.written, "c");
    EXPECT_EQ(port.received, "pending");

    port.writeError = EIO;
    EXPECT_EQ(SendNoReply(&port, "z"), (TLinkResult{TLinkOutcome::SystemError, EIO}));
    EXPECT_EQ(SendNoReply(nullptr, "c"), kLinkNoPort);
    port.close();
    EXPECT_EQ(SendNoReply(&port, "c"), kLinkNoPort);
    EXPECT_EQ(port.written, "c");
}

// On the real clock: a port that answers nothing and sleeps when asked to wait.
class SilentPort : public ScriptedPort {
public:
    bool waitForReadyRead(int timeoutMs) override
    {
        QThread::msleep(ulong(timeoutMs));
        return false;
    }
};

TEST(TransactRealClock, SilenceTimesOutAfterABitOver100ms)
{
    SilentPort port;
    QByteArray reply;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Transact(&port, "v", 0, false, reply), kLinkTimeout);
    EXPECT_GE(clock.elapsed(), qint64(kReplyTimeoutMs));
    EXPECT_LT(clock.elapsed(), 2000); // generous: the machine may be busy
}

} // namespace

namespace {
QStringList traced;
void CollectTrace(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    if (QByteArray(context.category) == "k740.link")
        traced.append(message);
}
} // namespace

TEST_F(TransactTest, LinkTraceWritesOneLinePerExchangeWhenSwitchedOn)
{
    port.answers.push_back({{1, "0\r"}});
    port.answers.push_back({{1, "K740-9Q\x01 1.17\r"}});
    port.answers.push_back({{1, "x%1"}});
    QByteArray reply;
    traced.clear();
    const QtMessageHandler previous = qInstallMessageHandler(CollectTrace);
    transact("?", reply); // off by default
    QLoggingCategory::setFilterRules("k740.link.debug=true");
    transact("v", reply);
    transact("?", reply);
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);

    ASSERT_EQ(traced.size(), 2);
    const QRegularExpression line(R"re(^\d+\.\d{3} ms scripted "(.*)" -> "(.*)" result (-?\d+) in \d+\.\d{3} ms$)re");
    const QRegularExpressionMatch first = line.match(traced[0]);
    ASSERT_TRUE(first.hasMatch()) << traced[0].toStdString();
    EXPECT_EQ(first.captured(1), "v");
    EXPECT_EQ(first.captured(2), R"re(K740-9Q\x01 1.17\r)re");
    EXPECT_EQ(first.captured(3), "0");
    const QRegularExpressionMatch second = line.match(traced[1]);
    ASSERT_TRUE(second.hasMatch()) << traced[1].toStdString();
    EXPECT_EQ(second.captured(2), "x%1"); // not taken for a placeholder
    EXPECT_EQ(second.captured(3), "-1");
}

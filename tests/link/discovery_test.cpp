#include "link/discovery.h"

#include "support/fake_port.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace k740;
using namespace k740sim;

TEST(Identity, FirmwareFieldsAreReadFromFixedPositions)
{
    EXPECT_EQ(FirmwareVersionOf("K740-9S V1.17\r"), 117);
    EXPECT_EQ(FirmwareVersionOf("K740-9S V2.05\r"), 205);
    EXPECT_EQ(FirmwareVersionOf("K740-9S Vx.yy\r"), 0);
    EXPECT_EQ(FirmwareVersionOf("K740-9S V1.1x\r"), 100);
    EXPECT_EQ(FirmwareVersionOf("K740"), 0);
}

TEST(Identity, KindExtensionAndSecondSerialFollowTheReply)
{
    const InterfaceIdentity s116 = IdentityFromReply("K740-9S V1.16\r", "COM3");
    EXPECT_EQ(s116.InterfaceKind, TInterfaceKind::Absolute);
    EXPECT_TRUE(s116.ExtendedInterface);
    EXPECT_FALSE(s116.SecondSerial);
    EXPECT_EQ(s116.IdentityText, "K740-9S V1.16");
    EXPECT_TRUE(IdentityFromReply("K740-9S V1.17\r", "COM3").SecondSerial);
    const InterfaceIdentity t = IdentityFromReply("T740-9Q V1.20\r", "COM3");
    EXPECT_EQ(t.InterfaceKind, TInterfaceKind::Counting);
    EXPECT_FALSE(t.ExtendedInterface);
    EXPECT_FALSE(t.SecondSerial);
}

TEST(Identity, OnlyCountingAndSsiKindsAreSupported)
{
    EXPECT_TRUE(IsIdentityReply("K740-9B V1.17\r"));
    EXPECT_FALSE(IsSupportedIdentity("K740-9B V1.17\r"));
    EXPECT_TRUE(IsSupportedIdentity("T740-9Q V1.00\r"));
    EXPECT_FALSE(IsIdentityReply("k740-9S V1.17\r"));
    EXPECT_FALSE(IsIdentityReply("X740-9S"));
}

TEST(Probe, OpenFailuresAreReportedAndProbingGoesOn)
{
    TFakePortProvider ports;
    ports.plug("A", TDeviceConfig());
    ports.setBusy("A", true);
    ports.plug("B", TDeviceConfig());
    ports.plug("C", TDeviceConfig())->setFault(TDeviceFault::Silence);
    QStringList failed;
    TProbeResult probe
        = ProbePorts(ports, {"A", "B", "C", "D"}, QString(), [&](const QString& port, const TOpenedPort& f) {
              failed.append(port + ":" + QString::number(f.Result.OsError));
          });
    EXPECT_EQ(probe.Answering, QStringList({"B"}));
    EXPECT_TRUE(probe.BusySkipped);
    EXPECT_EQ(failed, QStringList({"A:" + QString::number(EBUSY), "D:" + QString::number(ENOENT)}));
    // The port that answered stays open, so no other program takes it; the
    // silent one is closed.
    ASSERT_EQ(probe.Held.size(), 1u);
    EXPECT_FALSE(ports.open("B").Port);
    EXPECT_TRUE(ports.open("C").Port);
    ReleasePorts(probe.Held);
    EXPECT_TRUE(ports.open("B").Port);
}

// Without a filter the user chooses among several; with one, only its match
// connects by itself, and a busy port or its own interface seen before
// makes it wait rather than ask.
TEST(Probe, ChoosingNeedsTheUserOnlyWhenNothingDecides)
{
    int asked = 0;
    auto choose = [&](const QStringList& ports) {
        ++asked;
        return ports.last();
    };
    const auto chosen = [&](QStringList answering, QString match, bool busy, QString filter, bool ownSeen) {
        TProbeResult probe;
        probe.Answering = answering;
        probe.FilterMatch = match;
        probe.BusySkipped = busy;
        return ChoosePort(probe, filter, ownSeen, choose);
    };
    EXPECT_EQ(chosen({}, {}, false, {}, false), "");
    EXPECT_EQ(chosen({"X"}, {}, true, {}, false), "X");
    EXPECT_EQ(chosen({"X", "Y"}, "X", false, "AAA", false), "X");
    EXPECT_EQ(chosen({"X"}, {}, true, "AAA", false), "");
    EXPECT_EQ(chosen({"X"}, {}, false, "AAA", true), "");
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(chosen({"X", "Y"}, {}, false, {}, false), "Y");
    EXPECT_EQ(chosen({"X"}, {}, false, "AAA", false), "X");
    EXPECT_EQ(asked, 2);
}

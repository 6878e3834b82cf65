#include "link/discovery.h"

#include "device/fake_port.h"

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
    QStringList failed;
    const TProbeResult probe = ProbePorts(ports, {"A", "B", "C"}, QString(),
        [&](int e, const QString& port) { failed.append(port + ":" + QString::number(e)); });
    EXPECT_EQ(probe.Answering, QStringList({"B"}));
    EXPECT_EQ(failed, QStringList({"A:" + QString::number(EBUSY), "C:" + QString::number(ENOENT)}));
}

TEST(Probe, ChoosingNeedsTheUserOnlyForSeveralUnfilteredPorts)
{
    int asked = 0;
    auto choose = [&](const QStringList& ports) {
        ++asked;
        return ports.last();
    };
    EXPECT_EQ(ChoosePort({{}, {}}, choose), "");
    EXPECT_EQ(ChoosePort({{"X"}, {}}, choose), "X");
    EXPECT_EQ(ChoosePort({{"X", "Y"}, "X"}, choose), "X");
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(ChoosePort({{"X", "Y"}, {}}, choose), "Y");
    EXPECT_EQ(asked, 1);
}

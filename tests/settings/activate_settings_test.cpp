#include "link/interface_identity.h"
#include "settings/encoder_settings.h"
#include "settings/program_dir.h"
#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace k740;

namespace {

InterfaceIdentity Interface(bool extended, uint8_t kind, int32_t firmware)
{
    InterfaceIdentity identity;
    identity.ExtendedInterface = extended;
    identity.InterfaceKind = TInterfaceKind(kind);
    identity.FirmwareVersion = firmware;
    return identity;
}

// A linear encoder's frame of `positionBits` and `paddingBits`.
bool LongFrame(int32_t positionBits, int32_t paddingBits, const InterfaceIdentity& identity, bool biss = false)
{
    TEncoderSettings s;
    s.SSIBits = positionBits;
    s.PaddingBits = paddingBits;
    s.BiSS = biss;
    return ActivateSettings(s, identity).LongFrame;
}

} // namespace

TEST(ActivateSettings, BissAndExtendedDataNeedTheRightInterface)
{
    TEncoderSettings stored;
    stored.BiSS = true;
    stored.ShowExtendedData = true;
    EXPECT_FALSE(ActivateSettings(stored, Interface(true, 1, 115)).BiSS);
    EXPECT_TRUE(ActivateSettings(stored, Interface(true, 1, 116)).BiSS);
    EXPECT_FALSE(ActivateSettings(stored, Interface(true, 0, 200)).BiSS);
    const TEncoderSettings plain = ActivateSettings(stored, Interface(false, 1, 200));
    EXPECT_FALSE(plain.BiSS);
    EXPECT_FALSE(plain.ShowExtendedData);
    EXPECT_TRUE(ActivateSettings(stored, Interface(true, 0, 100)).ShowExtendedData);
}

TEST(ActivateSettings, PeriodLengthFromDcrPeriode)
{
    TEncoderSettings stored;
    for (const auto& [periode, length] : {std::pair{1, 5}, {0, 2}, {2, 2}, {-1, 2}, {5, 2}}) {
        stored.DCRPeriode = periode;
        EXPECT_EQ(ActivateSettings(stored, Interface(true, 0, 100)).PeriodLength, length) << periode;
    }
}

TEST(ActivateSettings, LongFrameForMoreThan31SsiBitsFromFirmware116)
{
    const InterfaceIdentity ssi = Interface(true, 1, 116);
    EXPECT_FALSE(LongFrame(24, 7, ssi));
    EXPECT_TRUE(LongFrame(24, 8, ssi));
    TEncoderSettings allFields;
    allFields.Rotary = true;
    allFields.CPR = 1 << 20;
    allFields.MultiturnBits = 4;
    allFields.PaddingBits = 3;
    allFields.SSIStatusBits = 2;
    allFields.DetailedStatusBits = 3;
    EXPECT_TRUE(ActivateSettings(allFields, ssi).LongFrame);
    EXPECT_FALSE(LongFrame(32, 0, Interface(true, 1, 115)));
    EXPECT_FALSE(LongFrame(32, 0, Interface(true, 0, 200)));
    EXPECT_FALSE(LongFrame(32, 0, ssi, true));
    EXPECT_TRUE(LongFrame(32, 0, Interface(false, 1, 116), true)); // BiSS dropped on a plain interface
    // Bit counts beyond the dialog's limits count as the nearest limit.
    EXPECT_TRUE(LongFrame(INT32_MAX, INT32_MAX, ssi));
    EXPECT_TRUE(LongFrame(INT32_MAX, INT32_MIN, ssi));
    EXPECT_FALSE(LongFrame(INT32_MIN, INT32_MIN, ssi));
}

// Values a hand-edited file holds beyond what the settings dialog can set
// take the nearest value it can, each named once.
TEST(ActivateSettings, ValuesAreBroughtIntoTheDialogsLimits)
{
    const ProgramDir empty;
    TEncoderSettings stored = LoadSettings({empty.Path(), "COM3", {}, false}, {}, nullptr); // the load defaults
    QStringList notes;
    EXPECT_EQ(ActivateSettings(stored, Interface(true, 1, 116), &notes).SSIBits, 24);
    EXPECT_TRUE(notes.isEmpty()) << notes.join('\n').toStdString();

    stored.CPR = 0;
    stored.CPM = -1;
    stored.CPP = 0;
    stored.NominalIncr = 7;
    stored.SSIFreq = 9;
    stored.Degrees = -1;
    stored.SSIStatusBits = 1;
    stored.MultiturnBits = 17;
    stored.SSIBits = 1000;
    const TEncoderSettings active = ActivateSettings(stored, Interface(true, 1, 116), &notes);
    EXPECT_EQ(notes,
        QStringList({"CPR=0 is out of range: 1 is used", "CPM=-1 is out of range: 1.6 is used",
            "CPP=0 is out of range: 4 is used", "Degrees=-1 is out of range: 0 is used",
            "SSIFreq=9 is out of range: 8 is used", "NominalIncr=7 is out of range: 8 is used",
            "MultiturnBits=17 is out of range: 16 is used", "SSIStatusBits=1 is out of range: 2 is used",
            "SSIBits=1000 is out of range: 45 is used"}));
    EXPECT_EQ(active.SSIBits, 63 - 16 - 2);
    EXPECT_EQ(stored.SSIBits, 1000);
}

TEST(CommitSettings, CopiesAllButTheLayoutAndStoresThePeriod)
{
    TEncoderSettings stored;
    stored.Layout = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    stored.BiSS = true;
    TEncoderSettings active = ActivateSettings(stored, Interface(true, 1, 115));
    active.Layout = {99, 99, 99, 99, 99, 99, 99, 99, 99};
    active.CPR = 1024;
    active.PeriodLength = 5;

    const TEncoderSettings c = CommitSettings(active, stored);
    EXPECT_FALSE(c.BiSS);
    EXPECT_EQ(c.CPR, 1024);
    EXPECT_EQ(c.DCRPeriode, 1);
    EXPECT_TRUE(c.Layout == stored.Layout);
    active.PeriodLength = 2;
    EXPECT_EQ(CommitSettings(active, stored).DCRPeriode, 0);
}

TEST(BitsForCount, SmallestPowerOfTwoUpTo58Bits)
{
    EXPECT_EQ(BitsForCount(0) + BitsForCount(-5), 0);
    EXPECT_EQ(BitsForCount(1), 1);
    EXPECT_EQ(BitsForCount(2), 1);
    EXPECT_EQ(BitsForCount(3), 2);
    EXPECT_EQ(BitsForCount(8192), 13);
    EXPECT_EQ(BitsForCount(8193), 14);
    EXPECT_EQ(BitsForCount(int64_t(1) << 58), 58);
    EXPECT_EQ(BitsForCount((int64_t(1) << 58) + 1), 0);
}

// The one place the frame in force comes from: no multiturn counter on a
// linear encoder; on the absolute interface no distance coding and a rotary
// encoder's position bits from its CPR; LongFrame from the result (a 20-bit
// CPR with 12 multiturn bits needs the long frame, whatever SSIBits held).
TEST(DeriveFrame, FrameFollowsTheResolutionInForce)
{
    // interface kind, rotary, CPR, multiturn bits, then DCR, SSIBits, multiturn bits and LongFrame derived
    const std::tuple<uint8_t, bool, int64_t, int32_t, bool, int32_t, int32_t, bool> cases[] = {
        {1, true, 1 << 20, 12, false, 20, 12, true},
        {1, true, 8193, 0, false, 14, 0, false},
        {1, false, 1 << 20, 12, false, 8, 0, false},
        {0, true, 1 << 20, 12, true, 8, 12, false},
        {0, false, 8192, 12, true, 8, 0, false},
    };
    for (const auto& [kind, rotary, cpr, multiturn, dcr, bits, multiturnAfter, longFrame] : cases) {
        TEncoderSettings s;
        s.DCR = true;
        s.Rotary = rotary;
        s.CPR = cpr;
        s.SSIBits = 8;
        s.MultiturnBits = multiturn;
        DeriveFrame(s, TInterfaceKind(kind), 116);
        EXPECT_EQ(s.DCR, dcr) << cpr;
        EXPECT_EQ(s.SSIBits, bits) << cpr;
        EXPECT_EQ(s.MultiturnBits, multiturnAfter) << cpr;
        EXPECT_EQ(s.LongFrame, longFrame) << cpr;
    }
}

#include "link/interface_identity.h"
#include "settings/encoder_settings.h"

#include <gtest/gtest.h>

namespace {

InterfaceIdentity Interface(bool extended, uint8_t kind, int32_t firmware)
{
    InterfaceIdentity identity;
    identity.ExtendedInterface = extended;
    identity.InterfaceKind = kind;
    identity.FirmwareVersion = firmware;
    return identity;
}

TEncoderSettings SsiFrame(int32_t positionBits, int32_t multiturnBits)
{
    TEncoderSettings s;
    s.SSIBits = positionBits;
    s.MultiturnBits = multiturnBits;
    return s;
}

} // namespace

TEST(ActivateSettings, BissNeedsAnAbsoluteInterfaceAbove115)
{
    TEncoderSettings stored;
    stored.BiSS = true;
    EXPECT_FALSE(ActivateSettings(stored, Interface(true, 1, 115)).BiSS);
    EXPECT_TRUE(ActivateSettings(stored, Interface(true, 1, 116)).BiSS);
    EXPECT_FALSE(ActivateSettings(stored, Interface(true, 0, 200)).BiSS);
    EXPECT_FALSE(ActivateSettings(stored, Interface(false, 1, 200)).BiSS);
    EXPECT_TRUE(stored.BiSS);
    stored.BiSS = false;
    EXPECT_FALSE(ActivateSettings(stored, Interface(true, 1, 200)).BiSS);
}

TEST(ActivateSettings, PlainInterfaceShowsNoExtendedData)
{
    TEncoderSettings stored;
    stored.ShowExtendedData = true;
    EXPECT_FALSE(ActivateSettings(stored, Interface(false, 1, 200)).ShowExtendedData);
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
    EXPECT_FALSE(ActivateSettings(SsiFrame(24, 7), ssi).LongFrame);
    EXPECT_TRUE(ActivateSettings(SsiFrame(24, 8), ssi).LongFrame);
    TEncoderSettings allFields = SsiFrame(20, 4);
    allFields.PaddingBits = 3;
    allFields.SSIStatusBits = 2;
    allFields.DetailedStatusBits = 3;
    EXPECT_TRUE(ActivateSettings(allFields, ssi).LongFrame);
    allFields.DetailedStatusBits = 2;
    EXPECT_FALSE(ActivateSettings(allFields, ssi).LongFrame);

    EXPECT_FALSE(ActivateSettings(SsiFrame(32, 0), Interface(true, 1, 115)).LongFrame);
    EXPECT_FALSE(ActivateSettings(SsiFrame(32, 0), Interface(true, 0, 200)).LongFrame);
    TEncoderSettings biss = SsiFrame(32, 0);
    biss.BiSS = true;
    EXPECT_FALSE(ActivateSettings(biss, ssi).LongFrame);
    EXPECT_TRUE(ActivateSettings(biss, Interface(false, 1, 116)).LongFrame);
}

TEST(ActivateSettings, HugeBitCountsDoNotWrapTheSum)
{
    TEncoderSettings stored = SsiFrame(INT32_MAX, INT32_MAX);
    stored.PaddingBits = INT32_MAX;
    EXPECT_TRUE(ActivateSettings(stored, Interface(true, 1, 200)).LongFrame);
    stored = SsiFrame(INT32_MAX, INT32_MIN);
    EXPECT_FALSE(ActivateSettings(stored, Interface(true, 1, 200)).LongFrame);
}

TEST(CommitSettings, CopiesAllButTheLayoutAndStoresThePeriod)
{
    TEncoderSettings stored;
    stored.Position_Top = 1;
    stored.Position_Left = 2;
    stored.Position_Width = 3;
    stored.Position_Height = 4;
    stored.Logo_Flag = 5;
    stored.Panel_Width = 6;
    stored.Panel_Left = 7;
    stored.Panel_Top = 8;
    stored.Panel_Height = 9;
    stored.BiSS = true;

    TEncoderSettings active = ActivateSettings(stored, Interface(true, 1, 115));
    active.Position_Top = active.Position_Left = active.Position_Width = active.Position_Height = 99;
    active.Logo_Flag = active.Panel_Width = active.Panel_Left = active.Panel_Top = active.Panel_Height = 99;
    active.CPR = 1024;
    active.PeriodLength = 5;
    TEncoderSettings committed = CommitSettings(active, stored);
    EXPECT_FALSE(committed.BiSS);
    EXPECT_EQ(committed.CPR, 1024);
    EXPECT_EQ(committed.DCRPeriode, 1);
    EXPECT_EQ(committed.Position_Top, 1);
    EXPECT_EQ(committed.Position_Left, 2);
    EXPECT_EQ(committed.Position_Width, 3);
    EXPECT_EQ(committed.Position_Height, 4);
    EXPECT_EQ(committed.Logo_Flag, 5);
    EXPECT_EQ(committed.Panel_Width, 6);
    EXPECT_EQ(committed.Panel_Left, 7);
    EXPECT_EQ(committed.Panel_Top, 8);
    EXPECT_EQ(committed.Panel_Height, 9);

    active.PeriodLength = 2;
    EXPECT_EQ(CommitSettings(active, stored).DCRPeriode, 0);
}

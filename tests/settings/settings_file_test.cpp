#include "settings/settings_file.h"
#include "settings/program_dir.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

const WindowGeometry kWindow{10, 20, 800, 600, 2, 300, 5, 40, 120};

class SettingsFile : public ::testing::Test {
protected:
    SettingsLocation At(const QString& port, const QString& filter = {}, bool editMode = false) const
    {
        return SettingsLocation{dir.Path(), port, filter, editMode};
    }
    TEncoderSettings Load(const SettingsLocation& where) { return LoadSettings(where, kWindow, &errors); }
    TEncoderSettings LoadSection(const QByteArray& keys, bool editMode = false)
    {
        dir.Write("K740.INI", "[K740.COM3]\n" + keys);
        return Load(At("COM3", {}, editMode));
    }
    QString Save(const SettingsLocation& where, const TEncoderSettings& stored, const WindowGeometry& live = kWindow)
    {
        return SaveSettings(where, stored, live);
    }

    ProgramDir dir;
    QStringList errors;
};

void ExpectLoadDefaults(const TEncoderSettings& s)
{
    EXPECT_FALSE(s.Rotary);
    EXPECT_EQ(s.CPR, 8192);
    EXPECT_EQ(s.CPM, 1000.0f);
    EXPECT_EQ(s.Custom, 32000);
    EXPECT_EQ(s.Degrees, 0);
    EXPECT_EQ(s.Units, 0);
    EXPECT_EQ(s.NominalIncr, 1000);
    EXPECT_EQ(s.CPP, 20);
    EXPECT_EQ(s.SSIBits, 24);
    EXPECT_EQ(s.SSIFreq, 3);
    EXPECT_EQ(s.SSIStatusBits, 0);
    EXPECT_EQ(s.CRCBits, 6);
    EXPECT_EQ(s.PaddingBits, 0);
    EXPECT_EQ(s.DetailedStatusBits, 0);
    EXPECT_TRUE(s.ShowRefMarks);
    EXPECT_TRUE(s.NominalIncrFlag);
    EXPECT_FALSE(s.ShowStatusColor);
    EXPECT_EQ(s.DCRPeriode, 0);
    EXPECT_EQ(s.MultiturnBits, 0);
    EXPECT_FALSE(s.GrayCode);
}

const QByteArray kNewSection = "Rotary=0\nCPR=8192\nCPM=1000\nDegrees=0\nInvertDir=0\nUnits=0\nCustom=32000\nDCR=0\n"
                               "NominalIncr=1000\nCPP=20\nShowExtendedData=0\nSSIBits=24\nSSIFreq=3\nBiSS=0\n"
                               "SSIStatusBits=0\nCRCBits=6\nPaddingBits=0\nDetailedStatusBits=0\nShowStatusBits=0\n"
                               "ShowRefMarks=1\nNominalIncrFlag=1\nDCRPeriode=0\nShowStatusColor=0\nStatusActiveLow=0\n"
                               "MultiturnBits=0\nSignedMultiturnCounter=0\nGrayCode=0\n";

const QByteArray kLayoutKeys = "Position_Top=1\nPosition_Left=2\nPosition_Width=3\nPosition_Height=4\nLogo_Flag=3\n"
                               "Panel_Width=5\nPanel_Left=6\nPanel_Top=7\nPanel_Height=8\n";

} // namespace

// Files and sections -------------------------------------------------------

TEST_F(SettingsFile, NoFileGivesDefaultsAndTheFirstSaveCreatesK740)
{
    const TEncoderSettings loaded = Load(At("COM3"));
    ExpectLoadDefaults(loaded);
    EXPECT_TRUE(errors.isEmpty());
    ASSERT_EQ(Save(At("COM3"), loaded), QString());
    EXPECT_EQ(dir.Read("K740.INI"), "[K740.COM3]\n" + kNewSection);
}

TEST_F(SettingsFile, T740IsReadOnlyUntilK740Exists)
{
    dir.Write("T740.INI", "[T740.COM3]\nSSIBits=13\n[K740.COM3]\nSSIBits=17\n");
    TEncoderSettings loaded = Load(At("COM3"));
    EXPECT_EQ(loaded.SSIBits, 13);
    ASSERT_EQ(Save(At("COM3"), loaded), QString());
    EXPECT_EQ(dir.Read("T740.INI"), QByteArray("[T740.COM3]\nSSIBits=13\n[K740.COM3]\nSSIBits=17\n"));
    EXPECT_TRUE(dir.Read("K740.INI").startsWith("[K740.COM3]\nRotary=0\nCPR=8192\nCPM=1000\n"));
    EXPECT_TRUE(dir.Read("K740.INI").contains("\nSSIBits=13\n"));

    dir.Write("K740.INI", "[K740.COM3]\nSSIBits=20\n");
    EXPECT_EQ(Load(At("COM3")).SSIBits, 20);
}

TEST_F(SettingsFile, EachPortHasItsSection)
{
    dir.Write("K740.INI", "[K740.COM3]\nSSIBits=13\n[k740.com4]\nSSIBits=14\n[K740.]\nSSIBits=15\n");
    EXPECT_EQ(Load(At("COM3")).SSIBits, 13);
    EXPECT_EQ(Load(At("COM4")).SSIBits, 14);
    EXPECT_EQ(Load(At("")).SSIBits, 15);
    EXPECT_EQ(Load(At("COM5")).SSIBits, 24);
}

TEST_F(SettingsFile, FilterSectionWhenPresentForLoadingAlwaysForSaving)
{
    dir.Write("K740.INI", "[K740.COM3]\nSSIBits=13\n");
    TEncoderSettings loaded = Load(At("COM3", "ABC"));
    EXPECT_EQ(loaded.SSIBits, 13);
    loaded.SSIBits = 30;
    ASSERT_EQ(Save(At("COM3", "ABC"), loaded), QString());
    const QByteArray file = dir.Read("K740.INI");
    EXPECT_TRUE(file.startsWith("[K740.COM3]\nSSIBits=13\n"));
    EXPECT_TRUE(file.contains("[ABC]\nRotary=0\n"));
    EXPECT_EQ(Load(At("COM3", "ABC")).SSIBits, 30);
    EXPECT_EQ(Load(At("COM3")).SSIBits, 13);
}

TEST_F(SettingsFile, UnsafeNamesOnlyNameSections)
{
    TEncoderSettings stored = Load(At("../COM3", "../../X"));
    stored.SSIBits = 12;
    ASSERT_EQ(Save(At("../COM3", "../../X"), stored), QString());
    ASSERT_EQ(Save(At("../COM3"), stored), QString());
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"K740.INI"});
    EXPECT_EQ(Load(At("../COM3", "../../X")).SSIBits, 12);
    EXPECT_EQ(Load(At("../COM3")).SSIBits, 12);
}

TEST_F(SettingsFile, SavingKeepsOtherContentAndAppendsNewKeys)
{
    dir.Write("K740.INI", "[K740.COM1]\r\nSSIBits=11\r\n\r\n\r\n[K740.COM3]\r\nGrayCode=1\r\nMyOwnKey=7\r\nCPR=100\r\n");
    TEncoderSettings stored = Load(At("COM3"));
    stored.CPR = 200;
    ASSERT_EQ(Save(At("COM3"), stored), QString());
    const QByteArray file = dir.Read("K740.INI");
    EXPECT_TRUE(file.startsWith("[K740.COM1]\r\nSSIBits=11\r\n\r\n\r\n[K740.COM3]\r\nGrayCode=1\r\nMyOwnKey=7\r\nCPR=200\r\n"
                                "Rotary=0\r\nCPM=1000\r\n")) << file.constData();
    EXPECT_TRUE(file.endsWith("SignedMultiturnCounter=0\r\n"));
    EXPECT_FALSE(QByteArray(file).replace("\r\n", "").contains('\n'));
}

TEST_F(SettingsFile, UnwritableDirectoryGivesTheMessageOnly)
{
    const QString unwritable = dir.Unwritable();
    const SettingsLocation where{unwritable, "COM3", {}, true};
    const TEncoderSettings loaded = LoadSettings(where, kWindow, &errors);
    ExpectLoadDefaults(loaded);
    EXPECT_EQ(Save(where, loaded), "Unable to write to " + unwritable + "K740.INI");
}

// Values ---------------------------------------------------------------------

TEST_F(SettingsFile, AbsRuleForCountsAndBitsOnly)
{
    const TEncoderSettings s = LoadSection("CPR=-4096\nCustom=-5\nSSIBits=-24\nDegrees=-1\nUnits=-2\nCPP=-4\n"
                                           "MultiturnBits=-3\nDCRPeriode=-1\nCRCBits=0x-1\n");
    EXPECT_EQ(s.CPR, 4096);
    EXPECT_EQ(s.Custom, 5);
    EXPECT_EQ(s.SSIBits, 24);
    EXPECT_EQ(s.Degrees, -1);
    EXPECT_EQ(s.Units, -2);
    EXPECT_EQ(s.CPP, 4);
    EXPECT_EQ(s.MultiturnBits, -3);
    EXPECT_EQ(s.DCRPeriode, -1);
    EXPECT_EQ(s.CRCBits, 6);
}

TEST_F(SettingsFile, IntegersInHexAndBoolsAsAnyNonZeroNumber)
{
    const TEncoderSettings s = LoadSection("SSIBits=0x1A\nCPP=0X28\nRotary=0x10\nGrayCode=-1\nShowRefMarks=0\n"
                                           "DCR=yes\nNominalIncrFlag=\nCPR=0x1000\n");
    EXPECT_EQ(s.SSIBits, 26);
    EXPECT_EQ(s.CPP, 40);
    EXPECT_TRUE(s.Rotary);
    EXPECT_TRUE(s.GrayCode);
    EXPECT_FALSE(s.ShowRefMarks);
    EXPECT_FALSE(s.DCR);
    EXPECT_TRUE(s.NominalIncrFlag);
    EXPECT_EQ(s.CPR, 4096);
}

TEST_F(SettingsFile, GarbageAndHugeIntegersTakeTheLoadDefault)
{
    const TEncoderSettings s = LoadSection("SSIBits=abc\nCPP=99999999999\nSSIFreq=0x1FFFFFFFF\nCRCBits=\n"
                                           "NominalIncr=-2147483648\nPaddingBits=0x80000000\nDegrees=1.5\n");
    EXPECT_EQ(s.SSIBits, 24);
    EXPECT_EQ(s.CPP, 20);
    EXPECT_EQ(s.SSIFreq, 3);
    EXPECT_EQ(s.CRCBits, 6);
    EXPECT_EQ(s.NominalIncr, INT32_MAX);
    EXPECT_EQ(s.PaddingBits, INT32_MAX);
    EXPECT_EQ(s.Degrees, 0);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(SettingsFile, BadCountsAreReportedOnceAndLoadingGoesOn)
{
    const TEncoderSettings s = LoadSection("CPR=12x\nCustom=\nSSIBits=13\nGrayCode=1\n");
    EXPECT_EQ(s.CPR, 8192);
    EXPECT_EQ(s.Custom, 32000);
    EXPECT_EQ(s.SSIBits, 13);
    EXPECT_TRUE(s.GrayCode);
    EXPECT_EQ(errors, QStringList({"'12x' is not a valid integer value", "'' is not a valid integer value"}));
}

TEST_F(SettingsFile, CountsAtAndBeyond64Bits)
{
    TEncoderSettings s = LoadSection("CPR=-9223372036854775808\nCustom=9223372036854775807\n");
    EXPECT_EQ(s.CPR, INT64_MAX);
    EXPECT_EQ(s.Custom, INT64_MAX);
    EXPECT_TRUE(errors.isEmpty());
    s = LoadSection("CPR=9223372036854775808\nCustom=0x10000000000000000\n");
    EXPECT_EQ(s.CPR, 8192);
    EXPECT_EQ(s.Custom, 32000);
    EXPECT_EQ(errors.size(), 2);
}

TEST_F(SettingsFile, CountsAreWrittenAs64BitText)
{
    TEncoderSettings stored = Load(At("COM3"));
    stored.CPR = 1LL << 40;
    stored.Custom = INT64_MAX;
    ASSERT_EQ(Save(At("COM3"), stored), QString());
    EXPECT_TRUE(dir.Read("K740.INI").contains("\nCPR=1099511627776\n"));
    EXPECT_TRUE(dir.Read("K740.INI").contains("\nCustom=9223372036854775807\n"));
    EXPECT_EQ(Load(At("COM3")).CPR, 1LL << 40);
}

TEST_F(SettingsFile, CpmTextsAndUnparsableCpm)
{
    EXPECT_FLOAT_EQ(LoadSection("CPM=1.6\n").CPM, 1.6f);
    EXPECT_FLOAT_EQ(LoadSection("CPM=2.5e3\n").CPM, 2500.0f);
    EXPECT_FLOAT_EQ(LoadSection("CPM=\n").CPM, 1000.0f);
    EXPECT_FLOAT_EQ(LoadSection("CPM=lots\n").CPM, 1000.0f);
    EXPECT_FLOAT_EQ(LoadSection("CPM=1e999\n").CPM, 1000.0f);
}

TEST_F(SettingsFile, CpmWrittenInTheUsersLocale)
{
    struct Case { float cpm; const char* c; const char* german; };
    for (const Case& c : {Case{1.6f, "1.6", "1,6"}, Case{1000, "1000", "1000"}, Case{1000.004f, "1000", "1000"}}) {
        TEncoderSettings stored = Load(At("COM3"));
        stored.CPM = c.cpm;
        ASSERT_EQ(Save(At("COM3"), stored), QString());
        EXPECT_TRUE(dir.Read("K740.INI").contains(QByteArray("\nCPM=") + c.c + "\n")) << c.c;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        ASSERT_EQ(Save(At("COM3"), stored), QString());
        EXPECT_TRUE(dir.Read("K740.INI").contains(QByteArray("\nCPM=") + c.german + "\n")) << c.german;
        QLocale::setDefault(QLocale::c());
    }
}

TEST_F(SettingsFile, CommaLocaleReadsBothSeparators)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_FLOAT_EQ(LoadSection("CPM=1,6\n").CPM, 1.6f);
    EXPECT_FLOAT_EQ(LoadSection("CPM=1.6\n").CPM, 1.6f);
    QLocale::setDefault(QLocale::c());
}

TEST_F(SettingsFile, SavedValuesLoadAgain)
{
    TEncoderSettings stored = Load(At("COM7"));
    stored.Rotary = true;
    stored.CPR = 5000;
    stored.CPM = 2.5f;
    stored.Degrees = 2;
    stored.Units = 3;
    stored.NominalIncr = 500;
    stored.SSIBits = 26;
    stored.BiSS = true;
    stored.ShowRefMarks = false;
    stored.DCRPeriode = 1;
    stored.MultiturnBits = 12;
    stored.StatusActiveLow = true;
    ASSERT_EQ(Save(At("COM7"), stored), QString());
    const TEncoderSettings again = Load(At("COM7"));
    EXPECT_TRUE(again.Rotary);
    EXPECT_EQ(again.CPR, 5000);
    EXPECT_FLOAT_EQ(again.CPM, 2.5f);
    EXPECT_EQ(again.Degrees, 2);
    EXPECT_EQ(again.Units, 3);
    EXPECT_EQ(again.NominalIncr, 500);
    EXPECT_EQ(again.SSIBits, 26);
    EXPECT_TRUE(again.BiSS);
    EXPECT_FALSE(again.ShowRefMarks);
    EXPECT_EQ(again.DCRPeriode, 1);
    EXPECT_EQ(again.MultiturnBits, 12);
    EXPECT_TRUE(again.StatusActiveLow);
}

// Layout keys ----------------------------------------------------------------

TEST_F(SettingsFile, LayoutKeysOnlyInEditMode)
{
    TEncoderSettings s = LoadSection(kLayoutKeys);
    EXPECT_EQ(s.Position_Top, 10);
    EXPECT_EQ(s.Position_Left, 20);
    EXPECT_EQ(s.Position_Width, 800);
    EXPECT_EQ(s.Position_Height, 600);
    EXPECT_EQ(s.Logo_Flag, 2);
    EXPECT_EQ(s.Panel_Width, 300);
    EXPECT_EQ(s.Panel_Left, 5);
    EXPECT_EQ(s.Panel_Top, 40);
    EXPECT_EQ(s.Panel_Height, 120);

    s = LoadSection(kLayoutKeys, true);
    EXPECT_EQ(s.Position_Top, 1);
    EXPECT_EQ(s.Position_Left, 2);
    EXPECT_EQ(s.Position_Width, 3);
    EXPECT_EQ(s.Position_Height, 4);
    EXPECT_EQ(s.Logo_Flag, 3);
    EXPECT_EQ(s.Panel_Width, 5);
    EXPECT_EQ(s.Panel_Left, 6);
    EXPECT_EQ(s.Panel_Top, 7);
    EXPECT_EQ(s.Panel_Height, 8);
}

TEST_F(SettingsFile, MissingLayoutKeysTakeTheCurrentGeometry)
{
    const TEncoderSettings s = LoadSection("Position_Top=-30\nPanel_Height=junk\n", true);
    EXPECT_EQ(s.Position_Top, -30);
    EXPECT_EQ(s.Position_Left, 20);
    EXPECT_EQ(s.Panel_Height, 120);
}

TEST_F(SettingsFile, LayoutKeysAreWrittenFromTheLiveGeometryInEditModeOnly)
{
    dir.Write("K740.INI", "[K740.COM3]\n" + kLayoutKeys);
    TEncoderSettings stored = Load(At("COM3"));
    ASSERT_EQ(Save(At("COM3"), stored, WindowGeometry{-1, -2, -3, -4, -5, -6, -7, -8, -9}), QString());
    EXPECT_EQ(dir.Read("K740.INI"), "[K740.COM3]\n" + kLayoutKeys + kNewSection);

    dir.Write("K740.INI", "");
    ASSERT_EQ(Save(At("COM3", {}, true), stored, WindowGeometry{11, 12, 13, 14, 1, 15, 16, 17, 18}), QString());
    EXPECT_EQ(dir.Read("K740.INI"), "[K740.COM3]\n" + kNewSection
                                        + "Position_Top=11\nPosition_Left=12\nPosition_Width=13\nPosition_Height=14\n"
                                          "Logo_Flag=1\nPanel_Width=15\nPanel_Left=16\nPanel_Top=17\nPanel_Height=18\n");
}

TEST_F(SettingsFile, EditModeWithoutConnectionSavesTheEmptyPortSection)
{
    ASSERT_EQ(Save(At("", {}, true), TEncoderSettings{}), QString());
    const QByteArray file = dir.Read("K740.INI");
    EXPECT_TRUE(file.startsWith("[K740.]\nRotary=0\nCPR=0\nCPM=0\nDegrees=0\n")) << file.constData();
    EXPECT_TRUE(file.contains("\nPosition_Top=10\n"));
}

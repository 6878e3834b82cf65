#include "settings/program_dir.h"
#include "settings/settings_file.h"

#include <QDir>
#include <QLocale>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace k740;

namespace {

const TWindowGeometry kWindow{10, 20, 800, 600, 2, 300, 5, 40, 120};

// Every key with its load default, in the order of a new section.
const QByteArray kDefaults = "Rotary=0\nCPR=8192\nCPM=1000\nDegrees=0\nInvertDir=0\nUnits=0\nCustom=32000\nDCR=0\n"
                             "NominalIncr=1000\nCPP=20\nShowExtendedData=0\nSSIBits=24\nSSIFreq=3\nBiSS=0\n"
                             "SSIStatusBits=0\nCRCBits=6\nPaddingBits=0\nDetailedStatusBits=0\nShowStatusBits=0\n"
                             "ShowRefMarks=1\nNominalIncrFlag=1\nDCRPeriode=0\nShowStatusColor=0\nStatusActiveLow=0\n"
                             "MultiturnBits=0\nSignedMultiturnCounter=0\nGrayCode=0\n";
// A new file has CRLF line ends.
QByteArray Crlf(QByteArray text)
{
    return text.replace("\n", "\r\n");
}

const QByteArray kLayout = "Position_Top=1\nPosition_Left=2\nPosition_Width=3\nPosition_Height=4\nLogo_Flag=3\n"
                           "Panel_Width=5\nPanel_Left=6\nPanel_Top=7\nPanel_Height=8\n";

class SettingsFile : public ::testing::Test {
protected:
    TSettingsLocation At(const QString& port, const QString& filter = {}, bool editMode = false) const
    {
        return TSettingsLocation{dir.Path(), port, filter, editMode};
    }
    TEncoderSettings Load(const TSettingsLocation& where) { return LoadSettings(where, kWindow, &errors); }
    QString Save(const TSettingsLocation& where, const TEncoderSettings& s) { return SaveSettings(where, s, kWindow); }
    // The K740.COM3 line that `line` becomes after a load and a save.
    QByteArray Resaved(const QByteArray& line)
    {
        dir.Write("K740.INI", "[K740.COM3]\n" + line + "\n");
        EXPECT_EQ(Save(At("COM3"), Load(At("COM3"))), QString());
        const QByteArray file = dir.Read("K740.INI");
        const qsizetype key = file.indexOf(line.left(line.indexOf('=') + 1));
        return file.mid(key, file.indexOf('\n', key) - key);
    }

    ProgramDir dir;
    QStringList errors;
};

} // namespace

TEST_F(SettingsFile, NoFileGivesDefaultsAndTheFirstSaveCreatesK740)
{
    ASSERT_EQ(Save(At("COM3"), Load(At("COM3"))), QString());
    EXPECT_EQ(dir.Read("K740.INI"), Crlf("[K740.COM3]\n" + kDefaults));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(SettingsFile, T740IsReadOnlyUntilK740Exists)
{
    const QByteArray t740 = "[T740.COM3]\nSSIBits=13\n[K740.COM3]\nSSIBits=17\n";
    dir.Write("T740.INI", t740);
    ASSERT_EQ(Save(At("COM3"), Load(At("COM3"))), QString());
    EXPECT_EQ(dir.Read("T740.INI"), t740);
    EXPECT_TRUE(dir.Read("K740.INI").startsWith("[K740.COM3]\r\nRotary=0\r\n"));
    EXPECT_TRUE(dir.Read("K740.INI").contains("\r\nSSIBits=13\r\n"));
    dir.Write("K740.INI", "[K740.COM3]\nSSIBits=20\n");
    EXPECT_EQ(Load(At("COM3")).SSIBits, 20);
}

TEST_F(SettingsFile, PortSectionsAndTheFilterSection)
{
    dir.Write("K740.INI", "[K740.COM3]\nSSIBits=13\n[k740.com4]\nSSIBits=14\n[K740.]\nSSIBits=15\n");
    EXPECT_EQ(Load(At("COM4")).SSIBits, 14);
    EXPECT_EQ(Load(At("")).SSIBits, 15);
    EXPECT_EQ(Load(At("COM5")).SSIBits, 24);

    // No ABC section yet: loading uses the port's, saving writes ABC.
    TEncoderSettings s = Load(At("COM3", "ABC"));
    EXPECT_EQ(s.SSIBits, 13);
    s.SSIBits = 30;
    ASSERT_EQ(Save(At("COM3", "ABC"), s), QString());
    EXPECT_EQ(Load(At("COM3", "ABC")).SSIBits, 30);
    EXPECT_EQ(Load(At("COM3")).SSIBits, 13);
}

TEST_F(SettingsFile, UnsafeNamesOnlyNameSections)
{
    TEncoderSettings s = Load(At("../COM3", "../X"));
    s.SSIBits = 12;
    ASSERT_EQ(Save(At("../COM3", "../X"), s), QString());
    ASSERT_EQ(Save(At("../COM3"), s), QString());
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"K740.INI"});
    EXPECT_EQ(Load(At("../COM3")).SSIBits, 12);
}

TEST_F(SettingsFile, SavingKeepsOtherContentAndAppendsMissingKeys)
{
    dir.Write("K740.INI", "[K740.COM1]\r\nSSIBits=11\r\n\r\n\r\n[K740.COM3]\r\nGrayCode=1\r\nOwn=7\r\nCPR=100\r\n");
    ASSERT_EQ(Save(At("COM3"), Load(At("COM3"))), QString());
    const QByteArray file = dir.Read("K740.INI");
    EXPECT_TRUE(file.startsWith("[K740.COM1]\r\nSSIBits=11\r\n\r\n\r\n[K740.COM3]\r\nGrayCode=1\r\nOwn=7\r\nCPR=100\r\n"
                                "Rotary=0\r\nCPM=1000\r\n"));
    EXPECT_TRUE(file.endsWith("SignedMultiturnCounter=0\r\n"));
}

TEST_F(SettingsFile, UnwritableDirectoryGivesTheMessageOnly)
{
    const TSettingsLocation where{dir.Unwritable(), "COM3", {}, true};
    EXPECT_EQ(SaveSettings(where, LoadSettings(where, kWindow, &errors), kWindow),
        "cannot write K740.INI: Not a directory; settings not saved");
}

TEST_F(SettingsFile, ValueFormatsAndLoadRules)
{
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"CPR=-4096", "CPR=4096"},
        {"Custom=-5", "Custom=5"},
        {"SSIBits=-24", "SSIBits=24"},
        {"CPP=-4", "CPP=4"},
        {"Degrees=-1", "Degrees=-1"},
        {"MultiturnBits=-3", "MultiturnBits=-3"},
        {"SSIBits=0x1A", "SSIBits=26"},
        {"CPP=0X28", "CPP=40"},
        {"CPR=0x1000", "CPR=4096"},
        {"Rotary=0x10", "Rotary=1"},
        {"GrayCode=-1", "GrayCode=1"},
        {"ShowRefMarks=0", "ShowRefMarks=0"},
        {"DCR=yes", "DCR=0"},
        {"NominalIncrFlag=", "NominalIncrFlag=1"},
        {"SSIBits=abc", "SSIBits=24"},
        {"CPP=99999999999", "CPP=20"},
        {"SSIFreq=0x1FFFFFFFF", "SSIFreq=3"},
        {"CRCBits=0x-1", "CRCBits=6"},
        {"Degrees=1.5", "Degrees=0"},
        {"NominalIncr=-2147483648", "NominalIncr=2147483647"},
        {"PaddingBits=0x80000000", "PaddingBits=2147483647"},
        {"CPR=-9223372036854775808", "CPR=9223372036854775807"},
        {"Custom=1099511627776", "Custom=1099511627776"},
        {"CPM=1.6", "CPM=1.6"},
        {"CPM=1000.004", "CPM=1000"},
        {"CPM=2.5e3", "CPM=2500"},
        {"CPM=lots", "CPM=1000"},
        {"CPM=", "CPM=1000"},
        {"CPM=1e999", "CPM=1000"},
    };
    for (const auto& [line, saved] : cases)
        EXPECT_EQ(Resaved(line), saved) << line.constData();
    EXPECT_TRUE(errors.isEmpty());
}

// Either separator reads in any locale; a save keeps the one the file
// uses for the key, and a new key takes ".".
TEST_F(SettingsFile, CpmKeepsTheFilesDecimalSeparator)
{
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        const QByteArray resaved[] = {Resaved("CPM=1,6"), Resaved("CPM=1.6"), Resaved("CPM=2,5e3")};
        dir.Write("K740.INI", "");
        TEncoderSettings s = Load(At("COM3"));
        s.CPM = 0.5f;
        const QString saved = Save(At("COM3"), s);
        QLocale::setDefault(QLocale::c());
        SCOPED_TRACE(locale.name().toStdString());
        EXPECT_EQ(resaved[0], "CPM=1,6");
        EXPECT_EQ(resaved[1], "CPM=1.6");
        EXPECT_EQ(resaved[2], "CPM=2500");
        EXPECT_TRUE(saved.isEmpty() && dir.Read("K740.INI").contains("\r\nCPM=0.5\r\n"));
    }
}

TEST_F(SettingsFile, BadCountsAreReportedAndLoadingGoesOn)
{
    dir.Write("K740.INI", "[K740.COM3]\nCPR=12x\nCustom=\nSSIBits=13\n");
    const TEncoderSettings s = Load(At("COM3"));
    EXPECT_EQ(s.CPR, 8192);
    EXPECT_EQ(s.Custom, 32000);
    EXPECT_EQ(s.SSIBits, 13);
    EXPECT_EQ(errors, QStringList({"'12x' is not a valid integer value", "'' is not a valid integer value"}));
    errors.clear();
    EXPECT_EQ(Resaved("CPR=9223372036854775808"), "CPR=8192");
    EXPECT_EQ(Resaved("Custom=0x10000000000000000"), "Custom=32000");
    EXPECT_EQ(errors.size(), 2);
}

TEST_F(SettingsFile, LayoutKeysAreReadOnlyInEditMode)
{
    dir.Write("K740.INI", "[K740.COM3]\n" + kLayout);
    EXPECT_TRUE(Load(At("COM3")).Layout == kWindow);
    EXPECT_TRUE(Load(At("COM3", {}, true)).Layout == (TWindowGeometry{1, 2, 3, 4, 3, 5, 6, 7, 8}));
    dir.Write("K740.INI", "[K740.COM3]\nPosition_Top=-30\nPanel_Height=junk\n");
    // An absent Logo_Flag loads as 0, not as the current logo mode.
    EXPECT_TRUE(Load(At("COM3", {}, true)).Layout == (TWindowGeometry{-30, 20, 800, 600, 0, 300, 5, 40, 120}));
}

TEST_F(SettingsFile, LayoutKeysAreWrittenLiveOnlyInEditMode)
{
    dir.Write("K740.INI", "[K740.COM3]\n" + kLayout);
    const TEncoderSettings s = Load(At("COM3"));
    ASSERT_EQ(SaveSettings(At("COM3"), s, TWindowGeometry{-1, -2, -3, -4, -5, -6, -7, -8, -9}), QString());
    EXPECT_EQ(dir.Read("K740.INI"), "[K740.COM3]\n" + kLayout + kDefaults);

    // Edit mode with an empty port name: the section "K740.".
    dir.Write("K740.INI", "");
    ASSERT_EQ(SaveSettings(At("", {}, true), s, TWindowGeometry{11, 12, 13, 14, 1, 15, 16, 17, 18}), QString());
    EXPECT_EQ(dir.Read("K740.INI"),
        Crlf("[K740.]\n" + kDefaults
            + "Position_Top=11\nPosition_Left=12\nPosition_Width=13\nPosition_Height=14\n"
              "Logo_Flag=1\nPanel_Width=15\nPanel_Left=16\nPanel_Top=17\nPanel_Height=18\n"));
}

// Two processes saving new sections of one file at the same time: each save
// edits the file as the other left it, so no section is lost.
TEST_F(SettingsFile, TwoProcessesSavingAtOnceLoseNoSection)
{
    constexpr int kSaves = 200;
    auto saveEach = [&](const QString& prefix) {
        for (int i = 0; i < kSaves; ++i) {
            if (!Save(At("COM3", prefix + QString::number(i)), TEncoderSettings()).isEmpty())
                return false;
        }
        return true;
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(saveEach("BBB") ? 0 : 1);
    const bool parentSaved = saveEach("AAA");
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(parentSaved);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const QByteArray file = dir.Read("K740.INI");
    int lost = 0;
    for (int i = 0; i < kSaves; ++i)
        lost += !file.contains("[AAA" + QByteArray::number(i) + "]")
            + !file.contains("[BBB" + QByteArray::number(i) + "]");
    EXPECT_EQ(lost, 0);
}

TEST_F(SettingsFile, FilterThatCannotNameASectionIsRefused)
{
    const struct {
        QByteArray file; // empty: no file
        QString filter;
        bool storable;
    } cases[] = {
        {{}, "ABC", true}, {{}, "", true}, {{}, "A]B", false}, {{}, "A\nB", false}, {{}, "A\rB", false},
        {{}, " ABC", false}, {"[K740.COM3]\r\n", "ΩMEGA", false},            // a single-byte file lacks it
        {"\xEF\xBB\xBF[K740.COM3]\r\n", "ΩMEGA", true}, {{}, "ΩMEGA", true}, // a new file is UTF-8 then
    };
    for (const auto& c : cases) {
        ProgramDir here;
        if (!c.file.isEmpty())
            here.Write("K740.INI", c.file);
        const QString problem = SerialFilterProblem(here.Path(), c.filter);
        EXPECT_EQ(problem.isEmpty(), c.storable) << c.filter.toStdString() << ": " << problem.toStdString();
        if (!c.storable) {
            EXPECT_TRUE(problem.contains(here.File("K740.INI"))) << problem.toStdString();
        }
    }
    // Control characters are echoed as codes, never raw.
    EXPECT_TRUE(SerialFilterProblem(dir.Path(), "A\rB\x1b").startsWith("/R=A\\rB\\x1b cannot name"));
}

TEST_F(SettingsFile, NewFileIsUtf8WhereTheSectionNeedsIt)
{
    ASSERT_EQ(Save(At("COM3", "ΩMEGA"), Load(At("COM3", "ΩMEGA"))), QString());
    EXPECT_TRUE(dir.Read("K740.INI").startsWith("\xEF\xBB\xBF[\xCE\xA9MEGA]\r\nRotary=0\r\n"));
    EXPECT_EQ(Save(At("COM3", "ΩMEGA"), Load(At("COM3", "ΩMEGA"))), QString());
    ASSERT_EQ(Save(At("COM3"), Load(At("COM3"))), QString());
    EXPECT_TRUE(dir.Read("K740.INI").contains("\r\n[K740.COM3]\r\n"));
}

#include "settings/ini_file.h"
#include "settings/program_dir.h"

#include <gtest/gtest.h>

namespace {

// Puts `before` in A.INI, sets one value, saves; returns Save()'s message.
QString SaveEdited(const ProgramDir& dir, const QByteArray& before, const QString& section, const QString& value)
{
    dir.Write("A.INI", before);
    IniFile ini(dir.File("A.INI"));
    ini.SetValue(section, "A", value);
    return ini.Save();
}

} // namespace

TEST(IniFileReading, CaseCrLfTwinKeysAndOpenHeaders)
{
    ProgramDir dir;
    dir.Write("A.INI", "[k740.com3]\r\ncpr = 4096 \r\nB=\r\nCPR=1\r\n[open\r\nC=3\n  [also open \nD=4\n");
    const IniFile ini(dir.File("A.INI"));
    EXPECT_TRUE(ini.SectionExists("K740.COM3"));
    EXPECT_FALSE(ini.SectionExists("K740.COM4"));
    EXPECT_EQ(ini.Value("K740.Com3", "CPR"), QString("4096"));
    EXPECT_EQ(ini.Value("K740.COM3", "B"), QString(""));
    EXPECT_EQ(ini.Value("K740.COM3", "C"), std::nullopt);
    EXPECT_EQ(ini.Value("open", "C"), QString("3"));
    EXPECT_EQ(ini.Value("also open", "D"), QString("4"));

    dir.Write("B.INI", "\xEF\xBB\xBF[first\nA=1\n");
    EXPECT_EQ(IniFile(dir.File("B.INI")).Value("first", "A"), QString("1"));
}

TEST(IniFileWriting, NewFileIsPlainKeyValueLines)
{
    ProgramDir dir;
    IniFile ini(dir.File("NEW.INI"));
    ini.SetValue("K740.COM3", "Rotary", "1");
    ini.SetValue("K740.COM3", "CPR", "4096");
    EXPECT_EQ(ini.Save(), QString());
    EXPECT_EQ(dir.Read("NEW.INI"), QByteArray("[K740.COM3]\nRotary=1\nCPR=4096\n"));
}

TEST(IniFileWriting, NewKeyGoesToTheEndOfItsSectionAndTheRestStays)
{
    ProgramDir dir;
    const QByteArray before = "; settings\n\n\n[Other]\nkeep=me\n\n\n; the port section\n[k740.com3]\n"
                              "X=4096\n\n; about the unit\nUnits=1\n\n\n[Last]\nx=y\n";
    ASSERT_EQ(SaveEdited(dir, before, "K740.COM3", "24"), QString());
    EXPECT_EQ(dir.Read("A.INI"), QByteArray(before).replace("Units=1\n", "Units=1\nA=24\n"));
}

TEST(IniFileWriting, KeyChangesInPlaceWithItsSpellingAndTrailingCommentsStay)
{
    ProgramDir dir;
    ASSERT_EQ(SaveEdited(dir, "[S]\na=1\nB=1\na=2\n\n\n; last words\n", "s", "8"), QString());
    EXPECT_EQ(dir.Read("A.INI"), QByteArray("[S]\na=8\nB=1\n\n\n; last words\n"));
    ASSERT_EQ(SaveEdited(dir, "[S]\nB=1\n; last words\n", "T", "2"), QString());
    EXPECT_EQ(dir.Read("A.INI"), QByteArray("[S]\nB=1\n\n\n; last words\n\n\n[T]\nA=2\n"));
}

TEST(IniFileWriting, LineEndsSignatureAndOpenHeadersAreKeptStable)
{
    ProgramDir dir;
    ASSERT_EQ(SaveEdited(dir, "[S]\r\nB=1\r\n", "S", "2"), QString());
    EXPECT_EQ(dir.Read("A.INI"), QByteArray("[S]\r\nB=1\r\nA=2\r\n"));
    ASSERT_EQ(SaveEdited(dir, "\xEF\xBB\xBF[S]\nA=1\n", "S", "2"), QString());
    EXPECT_EQ(dir.Read("A.INI"), QByteArray("\xEF\xBB\xBF[S]\nA=2\n"));
    ASSERT_EQ(SaveEdited(dir, "[S]\nA=1\n[open\nB=2\n", "S", "5"), QString());
    const QByteArray once = dir.Read("A.INI");
    EXPECT_EQ(once, QByteArray("[S]\nA=5\n\n\n[open]\nB=2\n"));
    ASSERT_EQ(SaveEdited(dir, once, "S", "5"), QString());
    EXPECT_EQ(dir.Read("A.INI"), once);
}

TEST(IniFileFailures, UnwritableDirectoryReportsThePath)
{
    ProgramDir dir;
    IniFile ini(dir.Unwritable() + "K740.INI");
    ini.SetValue("S", "A", "1");
    EXPECT_EQ(ini.Save(), "Unable to write to " + dir.Unwritable() + "K740.INI");
}

TEST(IniFileFailures, WriteProtectedFileIsLeftAlone)
{
    if (RunningAsRoot())
        GTEST_SKIP() << "root may write any file";
    ProgramDir dir;
    dir.Write("A.INI", "[S]\nA=1\n");
    QFile::setPermissions(dir.File("A.INI"), QFileDevice::ReadOwner);
    IniFile ini(dir.File("A.INI"));
    ini.SetValue("S", "A", "2");
    EXPECT_EQ(ini.Save(), "Unable to write to " + dir.File("A.INI"));
    EXPECT_EQ(dir.Read("A.INI"), QByteArray("[S]\nA=1\n"));
}

TEST(IniFileFailures, UnreadableFilesAndUnstorableNamesLeaveTheFileAlone)
{
    ProgramDir dir;
    const QByteArray utf16("\xFF\xFE[\0S\0]\0\r\0\n\0A\0=\0001\0", 18);
    EXPECT_EQ(SaveEdited(dir, utf16, "S", "2"), "Unable to write to " + dir.File("A.INI"));
    EXPECT_EQ(dir.Read("A.INI"), utf16);
    for (const QString& section : QStringList{"A]B", "A\nB=1", "A\rB"}) {
        EXPECT_EQ(SaveEdited(dir, "[S]\nA=1\n", section, "1"), "Unable to write to " + dir.File("A.INI"));
        EXPECT_EQ(dir.Read("A.INI"), QByteArray("[S]\nA=1\n"));
    }
}

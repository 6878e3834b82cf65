#include "settings/ini_file.h"
#include "settings/program_dir.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

QString saveEdited(const ProgramDir& dir, const QByteArray& before, const QString& section,
                   const QString& key, const QString& value)
{
    dir.Write("A.INI", before);
    IniFile ini(dir.File("A.INI"));
    ini.SetValue(section, key, value);
    return ini.Save();
}

} // namespace

TEST(IniFileReading, SectionsAndKeysIgnoreCase)
{
    ProgramDir dir;
    dir.Write("A.INI", "[k740.com3]\ncpr = 4096 \nRotary=1\n");
    const IniFile ini(dir.File("A.INI"));
    EXPECT_TRUE(ini.SectionExists("K740.COM3"));
    EXPECT_FALSE(ini.SectionExists("K740.COM4"));
    EXPECT_EQ(ini.Value("K740.COM3", "CPR"), QString("4096"));
    EXPECT_EQ(ini.Value("K740.Com3", "rotary"), QString("1"));
    EXPECT_EQ(ini.Value("K740.COM3", "CPM"), std::nullopt);
    EXPECT_EQ(ini.Value("K740.COM4", "CPR"), std::nullopt);
}

TEST(IniFileReading, CrLfLinesAndFirstOfTwinKeys)
{
    ProgramDir dir;
    dir.Write("A.INI", "[S]\r\nA=1\r\nB=\r\nA=2\r\n[T]\r\nC=x y\r\n");
    const IniFile ini(dir.File("A.INI"));
    EXPECT_EQ(ini.Value("S", "A"), QString("1"));
    EXPECT_EQ(ini.Value("S", "B"), QString(""));
    EXPECT_EQ(ini.Value("T", "C"), QString("x y"));
}

TEST(IniFileReading, MissingFileHasNothing)
{
    ProgramDir dir;
    const IniFile ini(dir.File("NONE.INI"));
    EXPECT_FALSE(ini.SectionExists("S"));
    EXPECT_EQ(ini.Value("S", "A"), std::nullopt);
    EXPECT_FALSE(dir.Exists("NONE.INI"));
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
    const QByteArray before = "; settings of the K740 program\n"
                              "\n"
                              "\n"
                              "[Other]\n"
                              "keep=me\n"
                              "\n"
                              "\n"
                              "; the port section\n"
                              "[k740.com3]\n"
                              "cpr=4096\n"
                              "\n"
                              "; about the unit\n"
                              "Units=1\n"
                              "\n"
                              "\n"
                              "[Last]\n"
                              "x=y\n";
    ASSERT_EQ(saveEdited(dir, before, "K740.COM3", "SSIBits", "24"), QString());
    QByteArray expected = before;
    expected.replace("Units=1\n", "Units=1\nSSIBits=24\n");
    EXPECT_EQ(dir.Read("A.INI"), expected);
}

TEST(IniFileWriting, ExistingKeyChangesInPlaceKeepingItsSpelling)
{
    ProgramDir dir;
    ASSERT_EQ(saveEdited(dir, "[S]\ncpr=1\nA=1\ncpr=2\n", "s", "CPR", "8192"), QString());
    EXPECT_EQ(dir.Read("A.INI"), QByteArray("[S]\ncpr=8192\nA=1\n"));
}

TEST(IniFileWriting, NewSectionGoesToTheEndAfterATrailingComment)
{
    ProgramDir dir;
    ASSERT_EQ(saveEdited(dir, "[S]\nA=1\n; last words\n", "K740.COM1", "B", "2"), QString());
    EXPECT_EQ(dir.Read("A.INI"), QByteArray("[S]\nA=1\n\n\n; last words\n\n\n[K740.COM1]\nB=2\n"));
}

TEST(IniFileWriting, TrailingCommentStays)
{
    ProgramDir dir;
    ASSERT_EQ(saveEdited(dir, "[S]\nA=1\n\n\n; last words\n", "S", "A", "3"), QString());
    EXPECT_EQ(dir.Read("A.INI"), QByteArray("[S]\nA=3\n\n\n; last words\n"));
}

TEST(IniFileWriting, CrLfFileKeepsCrLf)
{
    ProgramDir dir;
    ASSERT_EQ(saveEdited(dir, "[S]\r\nA=1\r\n", "S", "B", "2"), QString());
    EXPECT_EQ(dir.Read("A.INI"), QByteArray("[S]\r\nA=1\r\nB=2\r\n"));
}

TEST(IniFileWriting, Utf8SignatureStays)
{
    ProgramDir dir;
    ASSERT_EQ(saveEdited(dir, "\xEF\xBB\xBF[S]\nA=1\n", "S", "A", "2"), QString());
    EXPECT_EQ(dir.Read("A.INI"), QByteArray("\xEF\xBB\xBF[S]\nA=2\n"));
}

TEST(IniFileFailures, UnwritableDirectoryReportsThePath)
{
    ProgramDir dir;
    const QString path = dir.Unwritable() + "K740.INI";
    IniFile ini(path);
    ini.SetValue("S", "A", "1");
    EXPECT_EQ(ini.Save(), "Unable to write to " + path);
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

TEST(IniFileFailures, FileThatCannotBeReadWhollyIsNotOverwritten)
{
    ProgramDir dir;
    const QByteArray utf16("\xFF\xFE[\0S\0]\0\r\0\n\0A\0=\0001\0", 18);
    EXPECT_EQ(saveEdited(dir, utf16, "S", "A", "2"), "Unable to write to " + dir.File("A.INI"));
    EXPECT_EQ(dir.Read("A.INI"), utf16);
}

TEST(IniFileFailures, SectionNameThatBreaksTheLineIsRefused)
{
    ProgramDir dir;
    for (const QString& section : QStringList{"A]B", "A\nB=1", "A\rB"}) {
        EXPECT_EQ(saveEdited(dir, "[S]\nA=1\n", section, "K", "1"), "Unable to write to " + dir.File("A.INI"));
        EXPECT_EQ(dir.Read("A.INI"), QByteArray("[S]\nA=1\n"));
    }
}

TEST(IniFileFailures, NoTemporaryFileIsLeftBehind)
{
    ProgramDir dir;
    ASSERT_EQ(saveEdited(dir, "[S]\nA=1\n", "S", "A", "2"), QString());
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), QStringList{"A.INI"});
}

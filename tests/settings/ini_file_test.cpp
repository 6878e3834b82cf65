#include "settings/ini_file.h"
#include "settings/profile_encoding.h"
#include "settings/program_dir.h"
#include "support/small_tmpfs.h"
#include "support/syscall_faults.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <vector>

using namespace k740;

namespace {

enum class ByteOrder { Little, Big };

// The text as UTF-16 with its byte-order mark.
QByteArray Utf16(QStringView text, ByteOrder order = ByteOrder::Little)
{
    QByteArray bytes;
    for (const QChar c : QChar(0xFEFF) + text.toString()) {
        const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
        bytes.append(order == ByteOrder::Little ? low : high).append(order == ByteOrder::Little ? high : low);
    }
    return bytes;
}

struct ReadCase {
    QByteArray file;
    QString section, key;
    std::optional<QString> value;
};

const QByteArray kTwice = "[K740.COM3]\nA=1\n[Other]\nB=2\n[k740.com3]\nA=9\nC=3\n";

const ReadCase kReads[] = {
    // Names without regard to case, blanks around names and values, one pair of matching quotes.
    {"[k740.com3]\r\n\tcpr =\t4096 \r\nB=\r\n", "K740.Com3", "CPR", "4096"},
    {"[k740.com3]\r\n\tcpr =\t4096 \r\nB=\r\n", "K740.COM3", "B", ""},
    {"[S]\nA=\"4096\"\n", "S", "A", "4096"},
    {"[S]\nA= ' x ' \n", "S", "A", " x "},
    {"[S]\nA=\"\"x\"\"\n", "S", "A", "\"x\""},
    {"[S]\nA=\"x'\n", "S", "A", "\"x'"},
    {"[S]\nA=\"\n", "S", "A", "\""},
    {"[S]\nA=\"\"\n", "S", "A", ""},
    {"[S]\nA=x=y\n", "S", "A", "x=y"},
    // Only the first block of a section and the first line of a key count.
    {kTwice, "K740.COM3", "A", "1"},
    {kTwice, "K740.COM3", "C", std::nullopt},
    {kTwice, "Other", "B", "2"},
    {"[S]\na=1\nA=2\n", "S", "A", "1"},
    // Notes, comments and keys before the first section are no keys.
    {"[S]\nnote\n", "S", "note", std::nullopt},
    {"[S]\n;A=1\n  # A=2\nA=3\n", "S", "A", "3"},
    {"A=1\n[S]\n", "S", "A", std::nullopt},
    {"[S]\nA=1\n", "T", "A", std::nullopt},
    // Line ends, headers without "]", encodings.
    {"[S]\rA=1\rB=2", "S", "B", "2"},
    {"[S]\r\nA=1\nB=2\r", "S", "B", "2"},
    {"[open\nC=3\n  [also open \nD=4\n", "open", "C", "3"},
    {"[open\nC=3\n  [also open \nD=4\n", "also open", "D", "4"},
    {"[S]\nA=Gr\xFC\n", "S", "A", "Grü"},
    {"\xEF\xBB\xBF[first\nA=Gr\xC3\xBC\n", "first", "A", "Grü"},
    {Utf16(u"[S]\r\nA=Ω\r\n"), "S", "A", "Ω"},
    {Utf16(u"[S]\r\nA=Ω\r\n", ByteOrder::Big), "S", "A", "Ω"},
};

struct Write {
    QString section, key, value;
};

struct WriteCase {
    std::optional<QByteArray> before; // nothing: no file
    std::vector<Write> writes;
    QByteArray after;
};

const WriteCase kWrites[] = {
    // New files; a new key after the last entry of its section, a new section at the end; nothing added.
    {std::nullopt, {{"S", "Rotary", "1"}, {"S", "CPR", "4096"}}, "[S]\r\nRotary=1\r\nCPR=4096\r\n"},
    {"", {{"S", "A", "1"}}, "[S]\r\nA=1\r\n"},
    {"; settings\n\n\n[Other]\nkeep=me\n\n\n; the port section\n[k740.com3]\nX=4096\n\n; about the unit\nUnits=1\n\n\n"
     "[Last]\nx=y\n",
        {{"K740.COM3", "A", "24"}},
        "; settings\n\n\n[Other]\nkeep=me\n\n\n; the port section\n[k740.com3]\nX=4096\n\n; about the unit\nUnits=1\n"
        "A=24\n\n\n[Last]\nx=y\n"},
    {"[S]\na=1\nB=1\na=2\n\n\n; last words\n", {{"s", "A", "8"}}, "[S]\na=8\nB=1\na=2\n\n\n; last words\n"},
    {"[S]\nB=1\n; last words", {{"T", "A", "2"}}, "[S]\nB=1\n; last words\n[T]\nA=2\n"},
    // Line ends: an added line ends as the one before it.
    {"[S]\r\nB=1\r\n", {{"S", "A", "2"}}, "[S]\r\nB=1\r\nA=2\r\n"},
    {"[S]\rA=1", {{"S", "B", "2"}}, "[S]\rA=1\rB=2\r"},
    {"[S]\nA=1\r\n", {{"S", "B", "2"}}, "[S]\nA=1\r\nB=2\r\n"},
    {"[S]\rA=1\r\n[T]\r\n\n", {{"S", "B", "2"}, {"T", "C", "3"}}, "[S]\rA=1\r\nB=2\r\n[T]\r\nC=3\r\n\n"},
    {"[S]\r\n\nA=1\r\r\n", {{"S", "B", "2"}, {"T", "C", "3"}}, "[S]\r\n\nA=1\rB=2\r\r\n[T]\r\nC=3\r\n"},
    // Encodings.
    {"[S]\nA=1\n", {{"S", "A", "Grü"}}, "[S]\nA=Gr\xFC\n"},
    {"\xEF\xBB\xBF[S]\nA=1\n", {{"S", "A", "Ω"}}, "\xEF\xBB\xBF[S]\nA=\xCE\xA9\n"},
    {Utf16(u"[S]\r\nA=1\r\n"), {{"S", "A", "2"}, {"S", "B", "Ω"}}, Utf16(u"[S]\r\nA=2\r\nB=Ω\r\n")},
    {Utf16(u"[S]\nA=1\n", ByteOrder::Big), {{"T", "A", "2"}}, Utf16(u"[S]\nA=1\n[T]\nA=2\n", ByteOrder::Big)},
    // A value already there leaves the file untouched; a changed line is written key=value.
    {"[S]\nA=\"1\"\n", {{"S", "A", "1"}}, "[S]\nA=\"1\"\n"},
    {"[S]\nA='1'\n", {{"S", "A", "2"}}, "[S]\nA=2\n"},
    {"[S]\n cpr = 4096 \n", {{"S", "CPR", "4096"}}, "[S]\n cpr = 4096 \n"},
    {"[S]\n cpr = 4096 \n", {{"S", "CPR", "8192"}}, "[S]\ncpr=8192\n"},
    {"[S]\nA=1\nB=2\n", {{"s", "a", "1"}, {"S", "B", "2"}}, "[S]\nA=1\nB=2\n"},
    // The first block of a section; notes, open headers and lines before the first section stay.
    {kTwice, {{"K740.COM3", "A", "5"}, {"K740.COM3", "C", "7"}},
        "[K740.COM3]\nA=5\nC=7\n[Other]\nB=2\n[k740.com3]\nA=9\nC=3\n"},
    {"[S]\nA=1\nnote\n\n# c\n[T]\n", {{"S", "A", "2"}, {"S", "B", "3"}}, "[S]\nA=2\nnote\nB=3\n\n# c\n[T]\n"},
    {"[S]\nA=1\n[open\nB=2\n", {{"S", "A", "5"}, {"open", "C", "3"}}, "[S]\nA=5\n[open\nB=2\nC=3\n"},
    {"[S]\n; c\n", {{"S", "A", "1"}}, "[S]\nA=1\n; c\n"},
    {"A=1\n[S]\n", {{"S", "A", "2"}}, "A=1\n[S]\nA=2\n"},
};

} // namespace

TEST(IniFile, ReadsAsTheWindowsProfileFunctions)
{
    for (const ReadCase& c : kReads) {
        ProgramDir dir;
        dir.Write("A.INI", c.file);
        EXPECT_EQ(TIniFile(dir.File("A.INI")).value(c.section, c.key), c.value) << c.file.toStdString();
    }
    ProgramDir dir;
    dir.Write("A.INI", kTwice + "[open\n");
    const TIniFile ini(dir.File("A.INI"));
    EXPECT_TRUE(ini.sectionExists("k740.com3"));
    EXPECT_TRUE(ini.sectionExists("OPEN"));
    EXPECT_FALSE(ini.sectionExists("K740.COM4"));
}

TEST(IniFile, WritesChangeOnlyTheirOwnLines)
{
    for (const WriteCase& c : kWrites) {
        SCOPED_TRACE(c.after.toStdString());
        ProgramDir dir;
        if (c.before)
            dir.Write("A.INI", *c.before);
        TIniFile ini(dir.File("A.INI"));
        for (const Write& w : c.writes)
            ini.setValue(w.section, w.key, w.value);
        const QDateTime written = QFileInfo(dir.File("A.INI")).lastModified();
        QThread::msleep(c.before == c.after ? 10 : 0);
        EXPECT_EQ(ini.save(), QString());
        EXPECT_EQ(dir.Read("A.INI"), c.after);
        // A save with nothing to write leaves the file as it was.
        if (c.before == c.after) {
            EXPECT_EQ(QFileInfo(dir.File("A.INI")).lastModified(), written);
        }
    }
}

// Each save edits the file as it is then: what was saved since this object
// read it stays.
TEST(IniFile, SaveKeepsWhatWasSavedSinceReading)
{
    ProgramDir dir;
    dir.Write("A.INI", "[AAA]\r\nX=1\r\n");
    TIniFile first(dir.File("A.INI"));
    TIniFile second(dir.File("A.INI"));
    first.setValue("AAA", "X", "2");
    second.setValue("BBB", "Y", "3");
    EXPECT_EQ(first.save(), QString());
    EXPECT_EQ(second.save(), QString());
    EXPECT_EQ(dir.Read("A.INI"), QByteArray("[AAA]\r\nX=2\r\n[BBB]\r\nY=3\r\n"));
}

TEST(IniFileFailures, FilesNotReadWholeGiveNoValuesAreReportedOnceAndStayAsTheyAre)
{
    ProgramDir dir;
    ASSERT_TRUE(QDir(dir.Path()).mkdir("DIRECTORY.INI"));
    const QString notWhole = "it could not be read whole";
    const std::tuple<QString, QByteArray, QString> files[] = {
        {"NUL.INI", QByteArrayLiteral("[S]\nA=1\0\n"), notWhole},
        {"ODD.INI", Utf16(u"[S]\r\nA=1\r\n") + 'x', notWhole},
        {"UTF8.INI", "\xEF\xBB\xBF[S]\nA=\xFF\n", notWhole},
        {"DIRECTORY.INI", {}, "Is a directory"},
    };
    for (const auto& [name, bytes, reason] : files) {
        if (!bytes.isEmpty())
            dir.Write(name, bytes);
        testing::internal::CaptureStderr();
        EXPECT_EQ(TIniFile(dir.File(name)).value("S", "A"), std::nullopt) << name.toStdString();
        TIniFile ini(dir.File(name));
        ini.setValue("S", "A", "2");
        EXPECT_EQ(ini.save(), "cannot write " + name + ": " + reason + "; settings not saved");
        EXPECT_EQ(QString::fromStdString(testing::internal::GetCapturedStderr()).count(dir.File(name)), 1);
        EXPECT_EQ(dir.Read(name), bytes);
    }
}

// A save that was cut off after making room for its text left NUL bytes at
// the end: the text before them counts, and the next save writes it whole.
TEST(IniFileFailures, NulBytesAtTheEndCutTheTextAndTheNextSaveWritesItWhole)
{
    const std::pair<QByteArray, QByteArray> files[] = {
        {"[S]\r\nA=1\r\n", QByteArray(5000, '\0')},
        {Utf16(u"[S]\r\nA=1\r\n"), QByteArray(5000, '\0')},
        {Utf16(u"[S]\r\nA=1", ByteOrder::Big), QByteArray(3, '\0')},
    };
    for (const auto& [text, nuls] : files) {
        ProgramDir dir;
        dir.Write("A.INI", text + nuls);
        testing::internal::CaptureStderr();
        EXPECT_EQ(TIniFile(dir.File("A.INI")).value("S", "A"), "1");
        TIniFile ini(dir.File("A.INI"), TIniUse::EditsOnly);
        ini.setValue("S", "A", "1");
        EXPECT_EQ(ini.save(), QString());
        EXPECT_EQ(dir.Read("A.INI"), text);
        EXPECT_TRUE(QString::fromStdString(testing::internal::GetCapturedStderr()).contains("ends in NUL bytes"));
    }
}

TEST(IniFileFailures, UnstorableEditsLeaveTheFileAlone)
{
    const Write edits[] = {{"A]B", "A", "1"}, {"A\nB=1", "A", "1"}, {"A\rB", "A", "1"}, {" S", "A", "1"},
        {"S", "A=B", "1"}, {"S", ";A", "1"}, {"S", "A", "\"1\""}, {"S", "A", " 1"}, {"S", "A", "Ω"}};
    ProgramDir dir;
    for (const Write& w : edits) {
        dir.Write("A.INI", "[S]\nA=1\n");
        TIniFile ini(dir.File("A.INI"));
        ini.setValue(w.section, w.key, w.value);
        ini.setValue("S", "B", "2");
        EXPECT_EQ(ini.save(), "cannot write A.INI: a name or value it cannot hold; settings not saved")
            << w.section.toStdString();
        EXPECT_EQ(dir.Read("A.INI"), QByteArray("[S]\nA=1\n"));
    }
}

TEST(IniFileFailures, UnwritableDirectoryReportsTheReason)
{
    ProgramDir dir;
    TIniFile ini(dir.Unwritable() + "K740.INI");
    ini.setValue("S", "A", "1");
    EXPECT_EQ(ini.save(), "cannot write K740.INI: Not a directory; settings not saved");
}

TEST(IniFilePermissions, WriteProtectedFileIsLeftAlone)
{
    if (RunningAsRoot())
        GTEST_SKIP() << "root may write any file";
    ProgramDir dir;
    dir.Write("A.INI", "[S]\nA=1\n");
    QFile::setPermissions(dir.File("A.INI"), QFileDevice::ReadOwner);
    testing::internal::CaptureStderr();
    TIniFile ini(dir.File("A.INI"));
    EXPECT_EQ(ini.value("S", "A"), "1");
    ini.setValue("S", "A", "2");
    EXPECT_EQ(ini.save(), "cannot write A.INI: Permission denied; settings not saved");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "read, so not reported as unread";
    EXPECT_EQ(dir.Read("A.INI"), QByteArray("[S]\nA=1\n"));
}

TEST(IniFileFailures, FullDiskLeavesTheFileWholeAndNoTemporaryFile)
{
    SmallTmpfs disk(64);
    if (!disk.mounted())
        GTEST_SKIP() << "no disk to fill: " << disk.problem().toStdString();
    const QByteArray before = "[S]\r\nA=1\r\n";
    QFile file(disk.path() + "A.INI");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
    file.close();
    ASSERT_TRUE(disk.fill());
    TIniFile ini(disk.path() + "A.INI");
    ini.setValue("S", "B", QString(5000, 'x'));
    EXPECT_EQ(ini.save(), "cannot write A.INI: No space left on device; settings not saved");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files), QStringList({"A.INI", "filler"}));
}

// Root writes into any folder, so these run as another user (scripts/test).
TEST(IniFilePermissions, WritableFileInAReadOnlyFolderIsRewrittenInPlace)
{
    if (RunningAsRoot())
        GTEST_SKIP() << "root may write into any folder";
    ProgramDir dir;
    dir.Write("A.INI", "[S]\r\nA=1\r\n");
    const auto folder = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    ASSERT_TRUE(QFile::setPermissions(dir.Path(), folder));
    TIniFile ini(dir.File("A.INI"));
    ini.setValue("S", "A", "2");
    ini.setValue("T", "B", QString(10000, 'x'));
    const QString saved = ini.save();

    // A file size limit below the new size stands for a full disk.
    TIniFile larger(dir.File("A.INI"));
    larger.setValue("T", "C", QString(100000, 'y'));
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{50000, 50000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(larger.save().isEmpty() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    QFile::setPermissions(dir.Path(), folder | QFileDevice::WriteOwner);

    EXPECT_EQ(saved, QString());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "the save beyond the limit did not fail";
    EXPECT_EQ(dir.Read("A.INI"), "[S]\r\nA=2\r\n[T]\r\nB=" + QByteArray(10000, 'x') + "\r\n");
}

// A save ended, as by a kill, before each of its system calls in turn: the
// file is the old or the new one at every moment and reads whole, and a new
// file left beside it goes at the next save. Where the new file may not take
// the old one's place (a shared folder with the sticky bit, a file of
// another account: EPERM), the same file is rewritten in place.
TEST(IniFileFailures, ASaveEndedAtAnyMomentLeavesAReadableFile)
{
    const QString others(3000, 'b');
    const QByteArray before = "[S]\r\nA=11111\r\n[T]\r\nB=" + others.toLatin1() + "\r\n";
    for (const QString& value : {QString(6000, 'x'), QString("2")}) {
        for (const bool refused : {false, true}) {
            SCOPED_TRACE(testing::Message() << value.size() << (refused ? " refused" : ""));
            ProgramDir dir;
            int status = 0;
            for (int end = 1; end < 100; ++end) {
                dir.Write("A.INI", before);
                struct stat old { };
                ::stat(QFile::encodeName(dir.File("A.INI")).constData(), &old);
                const pid_t child = ::fork();
                if (child == 0) {
                    TIniFile ini(dir.File("A.INI"), TIniUse::EditsOnly);
                    ini.setValue("S", "A", value);
                    if (refused)
                        FailCall(WatchedCall::Rename, 1, EPERM);
                    EndBeforeCall(end);
                    ::_exit(ini.save().isEmpty() ? 0 : 1);
                }
                ::waitpid(child, &status, 0);
                const std::optional<TProfileText> text = DecodeProfile(dir.Read("A.INI"));
                ASSERT_TRUE(text && !text->CutOff) << "ended before call " << end;
                const TIniFile after(dir.File("A.INI"));
                EXPECT_TRUE(after.value("S", "A") == "11111" || after.value("S", "A") == value) << end;
                EXPECT_EQ(after.value("T", "B"), others) << end;
                const QStringList files = QDir(dir.Path()).entryList(QDir::Files);
                if (WIFEXITED(status) && WEXITSTATUS(status) == kEndedAtCall) {
                    EXPECT_LE(files.size(), 2) << files.join(' ').toStdString();
                    continue;
                }
                EXPECT_EQ(after.value("S", "A"), value);
                EXPECT_EQ(files, QStringList{"A.INI"});
                struct stat now { };
                ::stat(QFile::encodeName(dir.File("A.INI")).constData(), &now);
                EXPECT_EQ(now.st_ino == old.st_ino, refused);
                break;
            }
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
    }
}

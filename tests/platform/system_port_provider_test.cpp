#include "platform/system_port_provider.h"
#include "pty_pair.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace k740;

namespace {

// Points the virtual-port folder at a fresh temporary folder for one test.
class SystemPortProviderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_FALSE(ptyA.slavePath.isEmpty());
        ASSERT_FALSE(ptyB.slavePath.isEmpty());
        savedDir = qgetenv("K740_VPORT_DIR");
        hadDir = qEnvironmentVariableIsSet("K740_VPORT_DIR");
        qputenv("K740_VPORT_DIR", dir.path().toLocal8Bit());
    }
    void TearDown() override
    {
        if (hadDir)
            qputenv("K740_VPORT_DIR", savedDir);
        else
            qunsetenv("K740_VPORT_DIR");
    }

    void link(const QString& target, const QString& name) { ASSERT_TRUE(QFile::link(target, dir.filePath(name))); }

    // The listed virtual ports; USB devices of the machine running the test
    // (tty names) are left out.
    QStringList virtualPorts() { return virtualPorts(provider); }
    static QStringList virtualPorts(TSystemPortProvider& from)
    {
        QStringList names = from.candidatePorts();
        names.erase(std::remove_if(names.begin(), names.end(), [](const QString& n) { return n.startsWith("tty"); }),
            names.end());
        return names;
    }

    // What a new provider lists twice over, and what it writes meanwhile on standard error.
    static std::pair<QStringList, QString> listTwice()
    {
        TSystemPortProvider fresh;
        testing::internal::CaptureStderr();
        const QStringList names = virtualPorts(fresh) + virtualPorts(fresh);
        return {names, QString::fromStdString(testing::internal::GetCapturedStderr())};
    }
    static QString ignoredNote(const QString& folder, const QString& problem)
    {
        return QString("k740: virtual-port folder %1 ignored: it %2\n").arg(folder, problem);
    }

    QTemporaryDir dir;
    PtyPair ptyA;
    PtyPair ptyB;
    TSystemPortProvider provider;
    QByteArray savedDir;
    bool hadDir = false;
};

TEST_F(SystemPortProviderTest, ListsLinksToTerminalsSortedCaseInsensitivelyWithoutDuplicates)
{
    link(ptyA.slavePath, "vcom2");
    link(ptyA.slavePath, "vcom10");
    link(ptyB.slavePath, "Beta");
    link(ptyB.slavePath, "alpha");
    link(ptyB.slavePath, "ALPHA"); // same name but for case: listed once
    link(ptyA.slavePath, "bad name");
    link(dir.filePath("missing"), "dangling");
    QFile regular(dir.filePath("plain"));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    link(regular.fileName(), "toplain");

    const QStringList names = virtualPorts();
    ASSERT_EQ(names.size(), 4) << names.join(' ').toStdString();
    EXPECT_EQ(names[0].toLower(), "alpha");
    EXPECT_EQ(names.mid(1), QStringList({"Beta", "vcom10", "vcom2"}));
}

TEST_F(SystemPortProviderTest, EmptyOrMissingFolderGivesNoVirtualPorts)
{
    EXPECT_TRUE(virtualPorts().isEmpty());
    qputenv("K740_VPORT_DIR", dir.filePath("nowhere").toLocal8Bit());
    EXPECT_TRUE(virtualPorts().isEmpty());
}

TEST_F(SystemPortProviderTest, OpensByNameAndReportsVanishedNames)
{
    link(ptyA.slavePath, "vcom0");
    ASSERT_EQ(virtualPorts(), QStringList{"vcom0"});

    std::unique_ptr<ISerialPort> port = provider.open("vcom0").Port;
    ASSERT_TRUE(port);
    EXPECT_TRUE(port->isOpen());
    EXPECT_EQ(port->write("v"), kLinkOk);
    port->close();

    // Published after the last listing: found all the same.
    link(ptyB.slavePath, "vcom1");
    EXPECT_TRUE(provider.open("vcom1").Port);

    ASSERT_TRUE(QFile::remove(dir.filePath("vcom0")));
    const TLinkResult missing{TLinkOutcome::SystemError, ENOENT};
    EXPECT_EQ(provider.open("vcom0").Result, missing);
    EXPECT_EQ(provider.open("never").Result, missing);
}

TEST_F(SystemPortProviderTest, UsesOnlyAPrivateFolderAndSaysOnceWhyNot)
{
    link(ptyA.slavePath, "vcom0");
    QTemporaryDir outside;
    const QString viaLink = outside.filePath("ports");
    ASSERT_TRUE(QFile::link(dir.path(), viaLink));
    const std::tuple<QString, mode_t, QString> cases[] = {{dir.path(), 0700, ""},
        {dir.path(), 0770, "is writable by group or others"}, {dir.path(), 0777, "is writable by group or others"},
        {viaLink, 0700, "is a symbolic link"}, {viaLink + '/', 0700, "is a symbolic link"}};
    for (const auto& [folder, mode, problem] : cases) {
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), mode), 0);
        qputenv("K740_VPORT_DIR", QFile::encodeName(folder));
        const auto [names, errors] = listTwice();
        const QStringList used{"vcom0", "vcom0"};
        EXPECT_EQ(names, problem.isEmpty() ? used : QStringList()) << folder.toStdString() << ' ' << mode;
        EXPECT_EQ(errors, problem.isEmpty() ? QString() : ignoredNote(folder, problem));
    }
}

TEST_F(SystemPortProviderTest, IgnoresWhatAnotherUserOwns)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a second owner needs root to chown";
    const auto giveAway = [](const QString& path) { return ::lchown(QFile::encodeName(path).constData(), 4242, 4242); };
    link(ptyA.slavePath, "mine");
    link(ptyB.slavePath, "theirs");
    ASSERT_EQ(giveAway(dir.filePath("theirs")), 0);
    EXPECT_EQ(virtualPorts(), QStringList{"mine"});
    ASSERT_EQ(giveAway(dir.path()), 0);
    const auto expected = std::make_pair(QStringList(), ignoredNote(dir.path(), "belongs to another user"));
    EXPECT_EQ(listTwice(), expected);
}

} // namespace

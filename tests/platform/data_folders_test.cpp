#include "platform/data_folders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

using namespace k740;

namespace {

QProcessEnvironment Environment(const QString& configHome, const QString& dataHome, const QString& home = "/home/user")
{
    QProcessEnvironment env;
    if (!home.isNull())
        env.insert("HOME", home);
    if (!configHome.isNull())
        env.insert("XDG_CONFIG_HOME", configHome);
    if (!dataHome.isNull())
        env.insert("XDG_DATA_HOME", dataHome);
    return env;
}

} // namespace

TEST(DataFolders, PortableOrInstalledCopy)
{
    struct Case {
        TProgramFolderFacts facts;
        QString configHome, dataHome;
        QString settings, logs;
    };
    const QString bin = "/opt/k740/bin/";
    const Case cases[] = {
        {{true, false, false}, {}, {}, bin, bin}, // a copy in a writable folder
        {{false, true, false}, {}, {}, bin, bin}, // a read-only folder that holds an INI
        {{true, true, true}, {}, {}, bin, bin},   // an installation with an INI beside
        {{false, false, false}, {}, {}, "/home/user/.config/k740/", "/home/user/.local/share/k740/"},
        {{true, false, true}, {}, {}, "/home/user/.config/k740/", "/home/user/.local/share/k740/"},
        {{false, false, false}, "/cfg", "/data/", "/cfg/k740/", "/data/k740/"},
        {{false, false, false}, "relative", "", "/home/user/.config/k740/", "/home/user/.local/share/k740/"},
    };
    for (const Case& c : cases) {
        const TDataFolders folders = ChooseDataFolders(bin, c.facts, Environment(c.configHome, c.dataHome));
        EXPECT_EQ(folders.Settings, c.settings) << c.configHome.toStdString();
        EXPECT_EQ(folders.Logs, c.logs);
    }
    // Without a usable $HOME (env -i, a service) the account's home folder, never "/".
    const QString home = QDir::cleanPath(QFile::decodeName(::getpwuid(::getuid())->pw_dir));
    for (const QString& unusable : {QString(), QString(""), QString("relative")}) {
        const TDataFolders folders = ChooseDataFolders(bin, {}, Environment({}, {}, unusable));
        EXPECT_EQ(folders.Settings, home + "/.config/k740/") << unusable.toStdString();
        EXPECT_EQ(folders.Logs, home + "/.local/share/k740/");
    }
}

TEST(DataFolders, InspectionFindsSettingsFilesAndTheInstalledLayout)
{
    QTemporaryDir root;
    const QString bin = root.path() + "/bin/";
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_TRUE(InspectProgramFolder(bin).Writable);
    EXPECT_FALSE(InspectProgramFolder(bin).HoldsSettings);
    EXPECT_FALSE(InspectProgramFolder(bin).InstalledLayout);

    ASSERT_TRUE(QDir().mkpath(root.path() + "/share/applications"));
    QFile entry(root.path() + "/share/applications/org.k740.Desktop.desktop");
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    EXPECT_TRUE(InspectProgramFolder(bin).InstalledLayout);

    QFile t740(bin + "T740.INI");
    ASSERT_TRUE(t740.open(QIODevice::WriteOnly));
    EXPECT_TRUE(InspectProgramFolder(bin).HoldsSettings);
}

TEST(DataFoldersPermissions, ReadOnlyProgramFolderIsNotWritable)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into any folder";
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    EXPECT_FALSE(InspectProgramFolder(dir.path() + '/').Writable);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

#include "platform/data_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <pwd.h>
#include <unistd.h>

namespace k740 {

namespace {

// $HOME when it holds an absolute path; else (unset or empty, as under
// "env -i" or some service managers) the user's home folder from the
// password database.
QString HomeFolder(const QProcessEnvironment& environment)
{
    const QString home = environment.value("HOME");
    if (QDir::isAbsolutePath(home))
        return home;
    if (const struct passwd* user = ::getpwuid(::getuid()); user && user->pw_dir && user->pw_dir[0] == '/')
        return QFile::decodeName(user->pw_dir);
    return QDir::homePath();
}

// An XDG base folder: the variable when it holds an absolute path, else
// `fallback` below the home folder.
QString XdgFolder(const QProcessEnvironment& environment, const char* variable, const char* fallback)
{
    const QString value = environment.value(variable);
    if (QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(HomeFolder(environment) + '/' + fallback);
}

} // namespace

TProgramFolderFacts InspectProgramFolder(const QString& programDir)
{
    TProgramFolderFacts facts;
    facts.Writable = ::access(QFile::encodeName(programDir).constData(), W_OK) == 0;
    facts.HoldsSettings = QFileInfo::exists(programDir + "K740.INI") || QFileInfo::exists(programDir + "T740.INI");
    facts.InstalledLayout = QDir(programDir).dirName() == "bin"
        && QFileInfo::exists(programDir + "../share/applications/org.k740.Desktop.desktop");
    return facts;
}

TDataFolders ChooseDataFolders(
    const QString& programDir, const TProgramFolderFacts& facts, const QProcessEnvironment& environment)
{
    if (facts.HoldsSettings || (facts.Writable && !facts.InstalledLayout))
        return TDataFolders::beside(programDir);
    return {XdgFolder(environment, "XDG_CONFIG_HOME", ".config") + "/k740/",
        XdgFolder(environment, "XDG_DATA_HOME", ".local/share") + "/k740/"};
}

} // namespace k740

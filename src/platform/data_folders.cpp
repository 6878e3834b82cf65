#include "platform/data_folders.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace k740 {

namespace {

// An XDG base folder: the variable when it holds an absolute path, else
// `fallback` below the home folder.
QString XdgFolder(const QProcessEnvironment& environment, const char* variable, const char* fallback)
{
    const QString value = environment.value(variable);
    if (QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    QString home = environment.value("HOME");
    if (!QDir::isAbsolutePath(home))
        home = QDir::homePath();
    return QDir::cleanPath(home + '/' + fallback);
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

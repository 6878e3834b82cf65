#pragma once
#include <QProcessEnvironment>
#include <QString>

namespace k740 {

// Where the settings file and the position logs live, each with a trailing '/'.
struct TDataFolders {
    QString Settings;
    QString Logs;

    // A portable copy: both beside the program.
    static TDataFolders beside(const QString& programDir) { return {programDir, programDir}; }
};

// What decides between a portable and an installed copy.
struct TProgramFolderFacts {
    bool Writable = false;        // the user may create files in the program's folder
    bool HoldsSettings = false;   // K740.INI or T740.INI is there already
    bool InstalledLayout = false; // the folder is the bin/ of an installation (its desktop entry beside)
};

// Looks at the program's folder (with trailing '/').
TProgramFolderFacts InspectProgramFolder(const QString& programDir);

// A copy in a folder that holds settings, or a writable folder that is not
// an installation's bin/, keeps both beside the program. Otherwise the
// settings go to $XDG_CONFIG_HOME/k740/ (default ~/.config/k740/) and the
// logs to $XDG_DATA_HOME/k740/ (default ~/.local/share/k740/); relative
// XDG paths are ignored, as the XDG rules say. Without an absolute $HOME the
// home folder comes from the password database. The folders are not created
// here.
TDataFolders ChooseDataFolders(const QString& programDir, const TProgramFolderFacts& facts,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

} // namespace k740

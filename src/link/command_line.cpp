#include "link/command_line.h"

namespace k740 {

bool IsKnownLogoMode(int32_t mode)
{
    return mode >= int32_t(TLogoMode::Both) && mode <= int32_t(TLogoMode::None);
}

TRunOptions ParseCommandLine(const QStringList& arguments)
{
    TRunOptions options;
    for (const QString& argument : arguments) {
        const QString a = argument.toUpper();
        if (a == "/S")
            options.KeepDesignSize = true;
        else if (a == "/A")
            options.AutoSave = true;
        else if (a == "/NOLOGO" || a == "/NL")
            options.LogoMode = int32_t(TLogoMode::None);
        else if (a == "/TL")
            options.LogoMode = int32_t(TLogoMode::TopOnly);
        else if (a == "/BL")
            options.LogoMode = int32_t(TLogoMode::BottomOnly);
        else if (a == "/E")
            options.LayoutEditMode = true;
        else if (a == "/D")
            options.AutoCapture = true;
        else if (a == "/T")
            options.ShowTrend = true;
        else if (a.startsWith("/R="))
            options.SerialFilter = a.mid(3).trimmed();
    }
    return options;
}

TStartRequest StartRequest(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (argument == "--help")
            return TStartRequest::Help;
        if (argument == "--version")
            return TStartRequest::Version;
    }
    return TStartRequest::Run;
}

QString CommandLineHelp()
{
    return QStringLiteral("Usage: k740 [options]\n"
                          "Shows the position of the encoder on a K740 USB encoder interface.\n"
                          "\n"
                          "Options (case-insensitive; later ones override earlier ones):\n"
                          "  /A             append the position to K740_<port>.LOG every second\n"
                          "  /D             show the capture list (F2 captures the read-out)\n"
                          "  /E             layout edit mode: window and panel geometry are kept with the settings\n"
                          "  /S             keep the designed window size, no size limits\n"
                          "  /T             show the trend window (Ctrl+Shift+T shows or hides it)\n"
                          "  /NOLOGO, /NL   no logo\n"
                          "  /TL            top logo only\n"
                          "  /BL            bottom banner only\n"
                          "  /R=<text>      choose among several interfaces by serial number; also names a\n"
                          "                 settings section\n"
                          "  --help         print this text and exit\n"
                          "  --version      print the version and exit\n"
                          "\n"
                          "Settings (K740.INI) and logs live beside the program when its folder is writable or\n"
                          "already holds K740.INI or T740.INI; an installed copy keeps them in\n"
                          "$XDG_CONFIG_HOME/k740/ and $XDG_DATA_HOME/k740/. Other programs read the position\n"
                          "over D-Bus (org.k740.Desktop) or with k740-position.\n");
}

} // namespace k740

#include "link/command_line.h"

namespace k740 {

RunOptions ParseCommandLine(const QStringList& arguments)
{
    RunOptions options;
    for (const QString& argument : arguments) {
        const QString a = argument.toUpper();
        if (a == "/S")
            options.KeepDesignSize = true;
        else if (a == "/A")
            options.AutoSave = true;
        else if (a == "/NOLOGO" || a == "/NL")
            options.LogoMode = 3;
        else if (a == "/TL")
            options.LogoMode = 1;
        else if (a == "/BL")
            options.LogoMode = 2;
        else if (a == "/E")
            options.LayoutEditMode = true;
        else if (a == "/D")
            options.AutoCapture = true;
        else if (a.startsWith("/R="))
            options.SerialFilter = a.mid(3);
    }
    return options;
}

} // namespace k740

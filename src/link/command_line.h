#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>

namespace k740 {

// Run-time options taken from the command line.
struct RunOptions {
    bool KeepDesignSize = false; // "/S"
    bool AutoSave = false;       // "/A"
    int32_t LogoMode = 0;        // "/NOLOGO" or "/NL" 3, "/TL" 1, "/BL" 2
    bool LayoutEditMode = false; // "/E"
    bool AutoCapture = false;    // "/D"
    QString SerialFilter;        // "/R=" text, upper-cased, without blanks around it
};

// Reads the arguments after the program name; later ones override earlier
// ones, unknown ones are ignored, comparisons are exact after upper-casing.
RunOptions ParseCommandLine(const QStringList& arguments);

// What the arguments ask of the program before any window: "--help" and
// "--version" (the first of them wins) print and exit.
enum class TStartRequest { Run, Help, Version };
TStartRequest StartRequest(const QStringList& arguments);
// The text of "--help".
QString CommandLineHelp();

} // namespace k740

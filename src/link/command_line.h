#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>

namespace k740 {

// Which logos the window shows. The options and the stored Logo_Flag keep
// the integer, which a file may hold outside these values (they change nothing).
enum class TLogoMode : int32_t { Both = 0, TopOnly = 1, BottomOnly = 2, None = 3 };
bool IsKnownLogoMode(int32_t mode);

// Run-time options taken from the command line.
struct TRunOptions {
    bool KeepDesignSize = false;                 // "/S"
    bool AutoSave = false;                       // "/A"
    int32_t LogoMode = int32_t(TLogoMode::Both); // "/NOLOGO" or "/NL", "/TL", "/BL"
    bool LayoutEditMode = false;                 // "/E"
    bool AutoCapture = false;                    // "/D"
    bool ShowTrend = false;                      // "/T"
    QString SerialFilter;                        // "/R=" text, upper-cased, without blanks around it
};

// Reads the arguments after the program name; later ones override earlier
// ones, unknown ones are ignored, comparisons are exact after upper-casing.
TRunOptions ParseCommandLine(const QStringList& arguments);

// What the arguments ask of the program before any window: "--help" and
// "--version" (the first of them wins) print and exit.
enum class TStartRequest { Run, Help, Version };
TStartRequest StartRequest(const QStringList& arguments);
// The text of "--help".
QString CommandLineHelp();

} // namespace k740

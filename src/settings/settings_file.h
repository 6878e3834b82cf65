#pragma once
#include "settings/encoder_settings.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace k740 {

// Where the settings of one interface live.
struct TSettingsLocation {
    QString Folder;       // folder of the settings file, with trailing '/'
    QString PortName;     // serial port of the connection, may be empty
    QString SerialFilter; // "/R=" section override, upper-cased, or empty
    bool LayoutEditMode = false;
};

// StoredSettings from "K740.INI" in the settings folder ("T740.INI" while
// no "K740.INI" exists), section "K740." / "T740." + port name, or the
// SerialFilter section when the file has one. A missing file or key gives the
// key's load default; the layout keys are read only in layout edit mode and
// otherwise take `current`. Absent geometry keys take `current` too, an
// absent Logo_Flag 0. A CPR or Custom text that is not a 64-bit integer
// adds "'<text>' is not a valid integer value" to conversionErrors (when
// given) and takes its load default; loading goes on. A file that another
// process keeps locked is not read: every key takes its load default,
// conversionErrors says so and `fileLocked` (when given) is set.
TEncoderSettings LoadSettings(const TSettingsLocation& where, const TWindowGeometry& current,
    QStringList* conversionErrors, bool* fileLocked = nullptr);

// Writes StoredSettings to section "K740." + port name (or SerialFilter) of
// "K740.INI" in the settings folder (created when absent), keys in their fixed order, then in
// layout edit mode the `live` geometry. The file is read once, under its
// lock, and replaced whole or not at all. Returns an empty text on success,
// else the message to show (see TIniFile::save).
QString SaveSettings(const TSettingsLocation& where, const TEncoderSettings& stored, const TWindowGeometry& live);

// Why the "/R=" section override cannot name a section of "K740.INI" in
// the settings folder (a "]", a line break, a character the file's encoding
// lacks), or an empty text when it can.
QString SerialFilterProblem(const QString& settingsFolder, const QString& serialFilter);

} // namespace k740

#include "settings/settings_file.h"

#include "settings/ini_file.h"
#include "settings/ini_values.h"

#include "link/printable_text.h"

#include <QDir>
#include <QFileInfo>

namespace k740 {

namespace {

enum class TRule { AsRead, Absolute };

// The keys of StoredSettings in the order they are written, which is the key
// order of a new section. Loading takes them in the same order; as every key
// is read on its own, the order of reading makes no difference.
template <class Keys> void ForEachStoredKey(Keys& keys, TEncoderSettings& s)
{
    keys.flag("Rotary", s.Rotary, false);
    keys.count("CPR", s.CPR, 8192);
    keys.real("CPM", s.CPM);
    keys.integer("Degrees", s.Degrees, 0, TRule::AsRead);
    keys.flag("InvertDir", s.InvertDir, false);
    keys.integer("Units", s.Units, 0, TRule::AsRead);
    keys.count("Custom", s.Custom, 32000);
    keys.flag("DCR", s.DCR, false);
    keys.integer("NominalIncr", s.NominalIncr, 1000, TRule::Absolute);
    keys.integer("CPP", s.CPP, 20, TRule::Absolute);
    keys.flag("ShowExtendedData", s.ShowExtendedData, false);
    keys.integer("SSIBits", s.SSIBits, 24, TRule::Absolute);
    keys.integer("SSIFreq", s.SSIFreq, 3, TRule::Absolute);
    keys.flag("BiSS", s.BiSS, false);
    keys.integer("SSIStatusBits", s.SSIStatusBits, 0, TRule::Absolute);
    keys.integer("CRCBits", s.CRCBits, 6, TRule::Absolute);
    keys.integer("PaddingBits", s.PaddingBits, 0, TRule::Absolute);
    keys.integer("DetailedStatusBits", s.DetailedStatusBits, 0, TRule::Absolute);
    keys.flag("ShowStatusBits", s.ShowStatusBits, false);
    keys.flag("ShowRefMarks", s.ShowRefMarks, true);
    keys.flag("NominalIncrFlag", s.NominalIncrFlag, true);
    keys.integer("DCRPeriode", s.DCRPeriode, 0, TRule::AsRead);
    keys.flag("ShowStatusColor", s.ShowStatusColor, false);
    keys.flag("StatusActiveLow", s.StatusActiveLow, false);
    keys.integer("MultiturnBits", s.MultiturnBits, 0, TRule::AsRead);
    keys.flag("SignedMultiturnCounter", s.SignedMultiturnCounter, false);
    keys.flag("GrayCode", s.GrayCode, false);
}

// The layout keys, used only in layout edit mode, in the order they are
// written: each with its field of the stored layout and of the window's.
template <class Keys> void ForEachLayoutKey(Keys& keys, TWindowGeometry& s, const TWindowGeometry& g)
{
    keys.layout("Position_Top", s.Top, g.Top);
    keys.layout("Position_Left", s.Left, g.Left);
    keys.layout("Position_Width", s.Width, g.Width);
    keys.layout("Position_Height", s.Height, g.Height);
    keys.layout("Logo_Flag", s.LogoFlag, g.LogoFlag);
    keys.layout("Panel_Width", s.PanelWidth, g.PanelWidth);
    keys.layout("Panel_Left", s.PanelLeft, g.PanelLeft);
    keys.layout("Panel_Top", s.PanelTop, g.PanelTop);
    keys.layout("Panel_Height", s.PanelHeight, g.PanelHeight);
}

class TLoader {
public:
    TLoader(const TIniFile& ini, const QString& section, QStringList* errors)
        : Ini(ini)
        , Section(section)
        , Errors(errors)
    {
    }

    void flag(const char* key, bool& field, bool byDefault) { field = readInteger(key, byDefault ? 1 : 0) != 0; }
    void integer(const char* key, int32_t& field, int32_t byDefault, TRule rule)
    {
        const int32_t value = readInteger(key, byDefault);
        field = rule == TRule::Absolute ? AbsoluteValue(value) : value;
    }
    void layout(const char* key, int32_t& field, int32_t current) { field = readInteger(key, current); }
    void count(const char* key, int64_t& field, int64_t byDefault)
    {
        const QString text = Ini.value(Section, key).value_or(QString::number(byDefault));
        const std::optional<int64_t> value = ParseIniInteger(text, 64);
        if (!value && Errors)
            Errors->append(QStringLiteral("'%1' is not a valid integer value").arg(PrintableText(text)));
        field = AbsoluteValue(value.value_or(byDefault));
    }
    void real(const char* key, float& field)
    {
        field = 1000; // stays when the text is no number
        ParseIniReal(Ini.value(Section, key).value_or(QStringLiteral("1000")), field);
    }

private:
    int32_t readInteger(const char* key, int32_t byDefault) const
    {
        const std::optional<QString> text = Ini.value(Section, key);
        return text ? int32_t(ParseIniInteger(*text, 32).value_or(byDefault)) : byDefault;
    }

    const TIniFile& Ini;
    const QString& Section;
    QStringList* Errors;
};

class TSaver {
public:
    TSaver(TIniFile& ini, const QString& section)
        : Ini(ini)
        , Section(section)
    {
    }

    void flag(const char* key, bool& field, bool) { write(key, field ? QStringLiteral("1") : QStringLiteral("0")); }
    void integer(const char* key, int32_t& field, int32_t, TRule) { write(key, QString::number(field)); }
    void layout(const char* key, int32_t&, int32_t live) { write(key, QString::number(live)); }
    void count(const char* key, int64_t& field, int64_t) { write(key, QString::number(field)); }
    void real(const char* key, float& field)
    {
        // Written with the decimal separator the file uses for the key at the time of saving.
        Ini.setValue(Section, key,
            [value = field](const std::optional<QString>& held) { return CpmText(value, IniDecimalSeparator(held)); });
    }

private:
    void write(const char* key, const QString& value) { Ini.setValue(Section, key, value); }

    TIniFile& Ini;
    const QString& Section;
};

} // namespace

TEncoderSettings LoadSettings(
    const TSettingsLocation& where, const TWindowGeometry& current, QStringList* conversionErrors, bool* fileLocked)
{
    // "T740.INI" serves only until the first save has created "K740.INI".
    const bool t740Only = !QFileInfo::exists(where.Folder + "K740.INI") && QFileInfo::exists(where.Folder + "T740.INI");
    const QString base = t740Only ? QStringLiteral("T740") : QStringLiteral("K740");
    const TIniFile ini(where.Folder + base + ".INI");
    if (fileLocked)
        *fileLocked = ini.lockedElsewhere();
    if (ini.lockedElsewhere() && conversionErrors)
        conversionErrors->append(
            QStringLiteral("%1.INI is locked by another program: the settings take their defaults").arg(base));
    const QString section = !where.SerialFilter.isEmpty() && ini.sectionExists(where.SerialFilter)
        ? where.SerialFilter
        : base + "." + where.PortName;

    TEncoderSettings settings;
    TLoader loader(ini, section, conversionErrors);
    ForEachStoredKey(loader, settings);
    if (where.LayoutEditMode) {
        // The geometry keys default to the window's current layout, Logo_Flag to 0.
        TWindowGeometry defaults = current;
        defaults.LogoFlag = 0;
        ForEachLayoutKey(loader, settings.Layout, defaults);
    } else {
        settings.Layout = current;
    }
    return settings;
}

QString SaveSettings(const TSettingsLocation& where, const TEncoderSettings& stored, const TWindowGeometry& live)
{
    QDir().mkpath(where.Folder); // a per-user settings folder is created on first use
    TIniFile ini(where.Folder + "K740.INI", TIniUse::EditsOnly);
    const QString section = where.SerialFilter.isEmpty() ? "K740." + where.PortName : where.SerialFilter;
    TEncoderSettings values = stored;
    TSaver saver(ini, section);
    ForEachStoredKey(saver, values);
    if (where.LayoutEditMode)
        ForEachLayoutKey(saver, values.Layout, live);
    return ini.save();
}

QString SerialFilterProblem(const QString& settingsFolder, const QString& serialFilter)
{
    const QString path = settingsFolder + "K740.INI";
    if (serialFilter.isEmpty() || TIniFile(path).canStoreSection(serialFilter))
        return {};
    return QStringLiteral("/R=%1 cannot name a section of %2: a section name holds no \"]\", no line break and "
                          "only characters the file's encoding has")
        .arg(PrintableText(serialFilter), path);
}

} // namespace k740

#include "settings/settings_file.h"

#include "settings/ini_file.h"
#include "settings/ini_values.h"
#include "settings/parse_real.h"

#include <QDir>
#include <QFileInfo>

namespace k740 {

namespace {

enum class Rule { AsRead, Absolute };

// The keys of StoredSettings in the order they are written, which is the key
// order of a new section. Loading takes them in the same order; as every key
// is read on its own, the order of reading makes no difference.
template <class Keys> void forEachStoredKey(Keys& keys, TEncoderSettings& s)
{
    keys.Flag("Rotary", s.Rotary, false);
    keys.Count("CPR", s.CPR, 8192);
    keys.Real("CPM", s.CPM);
    keys.Integer("Degrees", s.Degrees, 0, Rule::AsRead);
    keys.Flag("InvertDir", s.InvertDir, false);
    keys.Integer("Units", s.Units, 0, Rule::AsRead);
    keys.Count("Custom", s.Custom, 32000);
    keys.Flag("DCR", s.DCR, false);
    keys.Integer("NominalIncr", s.NominalIncr, 1000, Rule::Absolute);
    keys.Integer("CPP", s.CPP, 20, Rule::Absolute);
    keys.Flag("ShowExtendedData", s.ShowExtendedData, false);
    keys.Integer("SSIBits", s.SSIBits, 24, Rule::Absolute);
    keys.Integer("SSIFreq", s.SSIFreq, 3, Rule::Absolute);
    keys.Flag("BiSS", s.BiSS, false);
    keys.Integer("SSIStatusBits", s.SSIStatusBits, 0, Rule::Absolute);
    keys.Integer("CRCBits", s.CRCBits, 6, Rule::Absolute);
    keys.Integer("PaddingBits", s.PaddingBits, 0, Rule::Absolute);
    keys.Integer("DetailedStatusBits", s.DetailedStatusBits, 0, Rule::Absolute);
    keys.Flag("ShowStatusBits", s.ShowStatusBits, false);
    keys.Flag("ShowRefMarks", s.ShowRefMarks, true);
    keys.Flag("NominalIncrFlag", s.NominalIncrFlag, true);
    keys.Integer("DCRPeriode", s.DCRPeriode, 0, Rule::AsRead);
    keys.Flag("ShowStatusColor", s.ShowStatusColor, false);
    keys.Flag("StatusActiveLow", s.StatusActiveLow, false);
    keys.Integer("MultiturnBits", s.MultiturnBits, 0, Rule::AsRead);
    keys.Flag("SignedMultiturnCounter", s.SignedMultiturnCounter, false);
    keys.Flag("GrayCode", s.GrayCode, false);
}

// The layout keys, used only in layout edit mode, each with the matching
// value of the window's geometry.
template <class Keys> void forEachLayoutKey(Keys& keys, TEncoderSettings& s, const WindowGeometry& g)
{
    keys.Layout("Position_Top", s.Position_Top, g.Top);
    keys.Layout("Position_Left", s.Position_Left, g.Left);
    keys.Layout("Position_Width", s.Position_Width, g.Width);
    keys.Layout("Position_Height", s.Position_Height, g.Height);
    keys.Layout("Logo_Flag", s.Logo_Flag, g.LogoFlag);
    keys.Layout("Panel_Width", s.Panel_Width, g.PanelWidth);
    keys.Layout("Panel_Left", s.Panel_Left, g.PanelLeft);
    keys.Layout("Panel_Top", s.Panel_Top, g.PanelTop);
    keys.Layout("Panel_Height", s.Panel_Height, g.PanelHeight);
}

class Loader {
public:
    Loader(const IniFile& ini, const QString& section, QStringList* errors)
        : m_ini(ini)
        , m_section(section)
        , m_errors(errors)
    {
    }

    void Flag(const char* key, bool& field, bool byDefault) { field = integer(key, byDefault ? 1 : 0) != 0; }
    void Integer(const char* key, int32_t& field, int32_t byDefault, Rule rule)
    {
        const int32_t value = integer(key, byDefault);
        field = rule == Rule::Absolute ? AbsoluteValue(value) : value;
    }
    void Layout(const char* key, int32_t& field, int32_t current) { field = integer(key, current); }
    void Count(const char* key, int64_t& field, int64_t byDefault)
    {
        const QString text = m_ini.Value(m_section, key).value_or(QString::number(byDefault));
        const std::optional<int64_t> value = ParseIniInteger(text, 64);
        if (!value && m_errors)
            m_errors->append(QStringLiteral("'%1' is not a valid integer value").arg(text));
        field = AbsoluteValue(value.value_or(byDefault));
    }
    void Real(const char* key, float& field)
    {
        field = 1000; // stays when the text is no number
        ParseReal(m_ini.Value(m_section, key).value_or(QStringLiteral("1000")), field);
    }

private:
    int32_t integer(const char* key, int32_t byDefault) const
    {
        const std::optional<QString> text = m_ini.Value(m_section, key);
        return text ? int32_t(ParseIniInteger(*text, 32).value_or(byDefault)) : byDefault;
    }

    const IniFile& m_ini;
    const QString& m_section;
    QStringList* m_errors;
};

// Outside layout edit mode the layout fields take the window's geometry.
struct GeometryCopy {
    void Layout(const char*, int32_t& field, int32_t current) { field = current; }
};

class Saver {
public:
    Saver(IniFile& ini, const QString& section)
        : m_ini(ini)
        , m_section(section)
    {
    }

    void Flag(const char* key, bool& field, bool) { write(key, field ? QStringLiteral("1") : QStringLiteral("0")); }
    void Integer(const char* key, int32_t& field, int32_t, Rule) { write(key, QString::number(field)); }
    void Layout(const char* key, int32_t&, int32_t live) { write(key, QString::number(live)); }
    void Count(const char* key, int64_t& field, int64_t) { write(key, QString::number(field)); }
    void Real(const char* key, float& field) { write(key, CpmText(field)); }

private:
    void write(const char* key, const QString& value) { m_ini.SetValue(m_section, key, value); }

    IniFile& m_ini;
    const QString& m_section;
};

} // namespace

TEncoderSettings LoadSettings(
    const SettingsLocation& where, const WindowGeometry& current, QStringList* conversionErrors)
{
    // "T740.INI" serves only until the first save has created "K740.INI".
    const bool t740Only = !QFileInfo::exists(where.Folder + "K740.INI") && QFileInfo::exists(where.Folder + "T740.INI");
    const QString base = t740Only ? QStringLiteral("T740") : QStringLiteral("K740");
    const IniFile ini(where.Folder + base + ".INI");
    const QString section = !where.SerialFilter.isEmpty() && ini.SectionExists(where.SerialFilter)
        ? where.SerialFilter
        : base + "." + where.PortName;

    TEncoderSettings settings;
    Loader loader(ini, section, conversionErrors);
    forEachStoredKey(loader, settings);
    if (where.LayoutEditMode) {
        // The geometry keys default to the window's current layout, Logo_Flag to 0.
        WindowGeometry defaults = current;
        defaults.LogoFlag = 0;
        forEachLayoutKey(loader, settings, defaults);
    } else {
        GeometryCopy copy;
        forEachLayoutKey(copy, settings, current);
    }
    return settings;
}

QString SaveSettings(const SettingsLocation& where, const TEncoderSettings& stored, const WindowGeometry& live)
{
    QDir().mkpath(where.Folder); // a per-user settings folder is created on first use
    IniFile ini(where.Folder + "K740.INI");
    const QString section = where.SerialFilter.isEmpty() ? "K740." + where.PortName : where.SerialFilter;
    TEncoderSettings values = stored;
    Saver saver(ini, section);
    forEachStoredKey(saver, values);
    if (where.LayoutEditMode)
        forEachLayoutKey(saver, values, live);
    return ini.Save();
}

QString SerialFilterProblem(const QString& settingsFolder, const QString& serialFilter)
{
    const QString path = settingsFolder + "K740.INI";
    if (serialFilter.isEmpty() || IniFile(path).CanStoreSection(serialFilter))
        return {};
    return QStringLiteral("/R=%1 cannot name a section of %2: a section name holds no \"]\", no line break and "
                          "only characters the file's encoding has")
        .arg(serialFilter, path);
}

} // namespace k740

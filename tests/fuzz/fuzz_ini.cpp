// Loads an arbitrary K740.INI through the settings layer and through the INI
// layer.
// Settings: loading, deriving and committing take any file, and saving what
// was loaded comes to rest: from the second save on the file stays as it is.
// INI layer: one key written, the file read again: the key reads back, every
// other key and every line that is not a key line is as it was, the encoding
// stays, and a file with nothing to change, or not read whole, stays as it is.
#include "link/interface_identity.h"
#include "settings/ini_file.h"
#include "settings/profile_encoding.h"
#include "settings/profile_lines.h"
#include "settings/settings_file.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace k740;

namespace {

const QString& ProgramDir()
{
    static QTemporaryDir dir;
    static const QString path = dir.path() + '/';
    return path;
}

QString IniPath()
{
    return ProgramDir() + "K740.INI";
}

void WriteFile(const QByteArray& bytes)
{
    QFile file(IniPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

QByteArray ReadFile()
{
    QFile file(IniPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void LoadAndSaveSettings()
{
    const TWindowGeometry window{10, 20, 800, 600, 0, 300, 5, 40, 120};
    QStringList errors;
    const TEncoderSettings plain = LoadSettings({ProgramDir(), "COM3", {}, false}, window, &errors);
    const TEncoderSettings filtered = LoadSettings({ProgramDir(), "COM3", "ABC", true}, window, nullptr);
    InterfaceIdentity identity;
    identity.ExtendedInterface = true;
    identity.InterfaceKind = TInterfaceKind::Absolute;
    identity.FirmwareVersion = 116;
    CommitSettings(ActivateSettings(plain, identity), plain);
    identity.ExtendedInterface = false;
    CommitSettings(ActivateSettings(filtered, identity), filtered);

    const TSettingsLocation edit{ProgramDir(), "COM3", {}, true};
    const auto loadAndSave = [&] { return SaveSettings(edit, LoadSettings(edit, window, nullptr), window); };
    if (!loadAndSave().isEmpty())
        return; // a file it cannot read whole is left as it is
    // A value's text may change twice: CPM 1000.014 is written 1000.0, then 1000.
    Check(loadAndSave().isEmpty());
    const QByteArray settled = ReadFile();
    Check(loadAndSave().isEmpty() && ReadFile() == settled);
}

struct KeyLine {
    QString section, key;
};

// The key lines of a text that stand in a section, and the other lines.
struct Outline {
    std::vector<KeyLine> keys;
    QStringList others;
};

Outline OutlineOf(const QString& text)
{
    Outline outline;
    std::optional<QString> section;
    for (const TProfileLine& line : SplitProfileLines(text)) {
        const TLineMeaning meaning = ParseProfileLine(line.Text);
        if (meaning.Kind == TLineKind::Header)
            section = meaning.Name;
        if (meaning.Kind != TLineKind::Key)
            outline.others.append(line.Text);
        else if (section)
            outline.keys.push_back({*section, meaning.Name});
    }
    return outline;
}

QString TextOf(const TProfileText& text)
{
    return text.Encoding == TProfileEncoding::Latin1 ? QString::fromLatin1(text.SingleByte) : text.Text;
}

bool SameKey(const KeyLine& a, const KeyLine& b)
{
    return a.section.compare(b.section, Qt::CaseInsensitive) == 0 && a.key.compare(b.key, Qt::CaseInsensitive) == 0;
}

// `choice` picks a key of the file, a new key in the section of its first key
// or a new section, and whether the key is written with the value it has.
void WriteOneKey(const QByteArray& bytes, uint8_t choice)
{
    WriteFile(bytes);
    const TIniFile before(IniPath());
    const std::optional<TProfileText> text = DecodeProfile(bytes);
    const Outline outline = text ? OutlineOf(TextOf(*text)) : Outline{};
    const std::size_t pick = choice % (outline.keys.size() + 2);
    KeyLine edit{"K740.FUZZ", "Fuzz"};
    if (pick < outline.keys.size())
        edit = outline.keys[pick];
    else if (pick == outline.keys.size() && !outline.keys.empty())
        edit.section = outline.keys.front().section;
    const QString value = choice & 0x80 ? before.value(edit.section, edit.key).value_or("4096") : "4096";

    TIniFile ini(IniPath());
    ini.setValue(edit.section, edit.key, value);
    const bool saved = ini.save().isEmpty();
    const QByteArray after = ReadFile();
    // A text cut off by NUL bytes at its end is written whole, edited or not.
    if (!text || (before.value(edit.section, edit.key) == value && !text->CutOff)) {
        Check(saved == text.has_value() && after == bytes);
        return;
    }
    const std::optional<TProfileText> newText = DecodeProfile(after);
    // A file without text yet takes the encoding of a new one.
    Check(saved && newText && (newText->Encoding == text->Encoding || text->isEmpty()));
    const TIniFile reread(IniPath());
    Check(reread.value(edit.section, edit.key) == value);
    for (const KeyLine& key : outline.keys)
        Check(SameKey(key, edit) || reread.value(key.section, key.key) == before.value(key.section, key.key));
    QStringList others = outline.others;
    if (!before.sectionExists(edit.section))
        others.append('[' + edit.section + ']');
    Check(OutlineOf(TextOf(*newText)).others == others);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    WriteFile(bytes);
    LoadAndSaveSettings();
    WriteOneKey(bytes, size > 0 ? data[0] : 0);
    return 0;
}

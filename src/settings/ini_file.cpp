#include "settings/ini_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <string>

// SimpleIni is compiled here only, header-only and for narrow characters.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace {

// SimpleIni drops a comment that follows the last entry of a file. A section
// with this name, appended to the text as it is loaded, collects that comment;
// its header line is taken out again when the file is written.
const QByteArray kTailSection = QByteArrayLiteral("\x01" "end of file" "\x01");

bool storableOnOneLine(const QByteArray& text, bool isSection)
{
    for (const char c : text)
        if (c == '\0' || c == '\r' || c == '\n' || (isSection && c == ']'))
            return false;
    return true;
}

// SimpleIni mis-reads a "[name" line that lacks its "]": the keys after it
// land in a section named after all the text up to the next key. Such a line
// is read, and written back, as the header of section "name".
QByteArray closeSectionHeaders(const QByteArray& text)
{
    // A UTF-8 signature before the first line is not part of it.
    const qsizetype signature = text.startsWith(SI_UTF8_SIGNATURE) ? 3 : 0;
    QByteArray result = text.left(signature);
    result.reserve(text.size());
    bool lineStart = true;
    bool openHeader = false;
    for (const char c : QByteArrayView(text).sliced(signature)) {
        if (c == '\r' || c == '\n') {
            if (openHeader)
                result += ']';
            openHeader = false;
            lineStart = true;
        } else if (lineStart && c == '[') {
            openHeader = true;
            lineStart = false;
        } else if (c == ']') {
            openHeader = false;
            lineStart = false;
        } else if (c != ' ' && c != '\t') {
            lineStart = false;
        }
        result += c;
    }
    if (openHeader)
        result += ']';
    return result;
}

void removeTailSection(std::string& text)
{
    const std::string header = "[" + kTailSection.toStdString() + "]\n";
    // Without a comment of its own the header follows a blank-line pair.
    std::size_t at = text.find("\n\n" + header);
    std::size_t length = header.size() + 2;
    if (at == std::string::npos) {
        at = text.find(header);
        length = header.size();
    }
    if (at != std::string::npos)
        text.erase(at, length);
}

void replaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

struct IniFile::Data {
    QString path;
    CSimpleIniA ini{false, true};   // not UTF-8, several values per key kept
    bool intact = true;             // the whole file was read
    bool storable = true;           // every edit fits on its line
    bool crlf = false;
    bool tailSection = false;
};

IniFile::IniFile(const QString& path)
    : d(std::make_unique<Data>())
{
    d->path = path;
    d->ini.SetSpaces(false);
    QFile file(path);
    if (!file.exists())
        return;
    QByteArray text;
    if (file.open(QIODevice::ReadOnly)) {
        text = file.readAll();
        d->intact = file.error() == QFileDevice::NoError && !text.contains('\0');
    } else {
        d->intact = false;
    }
    text = closeSectionHeaders(text);
    d->crlf = text.contains("\r\n");
    d->tailSection = !text.isEmpty() && !text.contains(kTailSection);
    if (d->tailSection)
        text += "\n[" + kTailSection + "]\n";
    d->ini.LoadData(text.constData(), std::size_t(text.size()));
}

IniFile::~IniFile() = default;

const QString& IniFile::Path() const { return d->path; }

bool IniFile::SectionExists(const QString& section) const
{
    return d->ini.SectionExists(section.toLatin1().constData());
}

std::optional<QString> IniFile::Value(const QString& section, const QString& key) const
{
    const char* value = d->ini.GetValue(section.toLatin1().constData(), key.toLatin1().constData());
    if (!value)
        return std::nullopt;
    return QString::fromLatin1(value);
}

void IniFile::SetValue(const QString& section, const QString& key, const QString& value)
{
    const QByteArray s = section.toLatin1(), k = key.toLatin1(), v = value.toLatin1();
    if (!storableOnOneLine(s, true) || !storableOnOneLine(k, false) || !storableOnOneLine(v, false)) {
        d->storable = false;
        return;
    }
    // Replacing keeps the place and the spelling of the first entry of that
    // key (copied: replacing frees the old entry's text).
    QByteArray spelling = k;
    CSimpleIniA::TNamesDepend keys;
    d->ini.GetAllKeys(s.constData(), keys);
    for (const CSimpleIniA::Entry& entry : keys)
        if (qstricmp(entry.pItem, k.constData()) == 0)
            spelling = entry.pItem;
    d->ini.SetValue(s.constData(), spelling.constData(), v.constData(), nullptr, true);
}

QString IniFile::Save() const
{
    const QString failure = QStringLiteral("Unable to write to %1").arg(d->path);
    const QFileInfo existing(d->path);
    if (!d->intact || !d->storable || (existing.exists() && !existing.isWritable()))
        return failure;

    std::string text;
    if (d->ini.Save(text, d->ini.IsUnicode()) < 0)
        return failure;
    if (d->tailSection)
        removeTailSection(text);
    // Blank lines before the first line would turn a leading comment from
    // the file's own into the first section's on the next reading.
    text.erase(0, text.find_first_not_of('\n'));
    if (d->crlf)
        replaceAll(text, "\n", "\r\n");

    QSaveFile file(d->path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(text.data(), qint64(text.size())) != qint64(text.size())
        || !file.commit())
        return failure;
    return {};
}

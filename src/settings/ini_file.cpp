#include "settings/ini_file.h"

#include "settings/profile_encoding.h"
#include "settings/profile_lines.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <cstdio>

namespace k740 {

namespace {

// Each file once per run: loading and saving both open it.
void reportUnread(const QString& path, const QString& reason)
{
    static QSet<QString> reported;
    if (reported.contains(path))
        return;
    reported.insert(path);
    std::fprintf(stderr,
        "k740: %s could not be read whole (%s): its values take their defaults and it is not written\n",
        qPrintable(path), qPrintable(reason));
}

// The file's text; nothing, reported, when it cannot be read whole.
std::optional<ProfileText> readWhole(QFile& file)
{
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reportUnread(file.fileName(), file.errorString());
        return std::nullopt;
    }
    std::optional<ProfileText> text = DecodeProfile(bytes);
    if (!text)
        reportUnread(file.fileName(), QStringLiteral("a NUL, or text not valid in its encoding"));
    return text;
}

} // namespace

struct IniFile::Data {
    QString path;
    ProfileEncoding encoding = ProfileEncoding::Latin1; // that of a new file
    ProfileLines lines;
    bool intact = true;   // the whole file was read
    bool storable = true; // every edit could be stored
    bool changed = false; // an edit changed the text
};

IniFile::IniFile(const QString& path)
    : d(std::make_unique<Data>())
{
    d->path = path;
    QFile file(path);
    if (!file.exists())
        return;
    const std::optional<ProfileText> text = readWhole(file);
    d->intact = text.has_value();
    if (text) {
        d->encoding = text->encoding;
        d->lines = ProfileLines(text->text);
    }
}

IniFile::~IniFile() = default;

bool IniFile::SectionExists(const QString& section) const
{
    return d->lines.SectionExists(section);
}

std::optional<QString> IniFile::Value(const QString& section, const QString& key) const
{
    return d->lines.Value(section, key);
}

void IniFile::SetValue(const QString& section, const QString& key, const QString& value)
{
    switch (d->lines.SetValue(section, key, value)) {
    case ProfileLines::Edit::Unchanged:
        break;
    case ProfileLines::Edit::Changed:
        d->changed = true;
        break;
    case ProfileLines::Edit::Unstorable:
        d->storable = false;
        break;
    }
}

QString IniFile::Save() const
{
    const QString failure = QStringLiteral("Unable to write to %1").arg(d->path);
    if (!d->storable)
        return failure;
    if (!d->changed)
        return {};
    const QFileInfo existing(d->path);
    if (!d->intact || (existing.exists() && !existing.isWritable()))
        return failure;
    const std::optional<QByteArray> bytes = EncodeProfile({d->encoding, d->lines.Text()});
    if (!bytes)
        return failure;

    QSaveFile file(d->path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit())
        return failure;
    return {};
}

} // namespace k740

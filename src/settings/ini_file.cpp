#include "settings/ini_file.h"

#include "settings/profile_encoding.h"
#include "settings/profile_lines.h"

#include "platform/locked_file.h"

#include <QFileInfo>
#include <QSet>
#include <cstdio>
#include <vector>

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
std::optional<ProfileText> readWhole(TLockedFile& file, const QString& path)
{
    const std::optional<QByteArray> bytes = file.isOpen() ? file.readAll() : std::nullopt;
    if (!bytes) {
        reportUnread(path, file.error());
        return std::nullopt;
    }
    std::optional<ProfileText> text = DecodeProfile(*bytes);
    if (!text)
        reportUnread(path, QStringLiteral("a NUL, or text not valid in its encoding"));
    return text;
}

// The bytes of a file's new text: in its own encoding, and for a file
// without text yet single-byte where that holds the text, else UTF-8 after
// its mark.
std::optional<QByteArray> encodeForFile(const ProfileText& fresh, const QString& text)
{
    if (!fresh.text.isEmpty())
        return EncodeProfile({fresh.encoding, text});
    if (std::optional<QByteArray> bytes = EncodeProfile({ProfileEncoding::Latin1, text}))
        return bytes;
    return EncodeProfile({ProfileEncoding::Utf8, text});
}

} // namespace

struct IniFile::Data {
    struct Edit {
        QString section, key, value;
    };

    QString path;
    ProfileText loaded; // the text as read, with its encoding
    ProfileLines lines;
    std::vector<Edit> edits; // in the order made, replayed on the file as it is when saving
};

IniFile::IniFile(const QString& path)
    : d(std::make_unique<Data>())
{
    d->path = path;
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return;
    TLockedFile file(path, TLockMode::Read);
    if (const std::optional<ProfileText> text = readWhole(file, path)) {
        d->loaded = *text;
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
    d->lines.SetValue(section, key, value);
    d->edits.push_back({section, key, value});
}

bool IniFile::CanStoreSection(const QString& section) const
{
    ProfileLines lines(d->loaded.text);
    return lines.SetValue(section, QStringLiteral("K"), QStringLiteral("0")) != ProfileLines::Edit::Unstorable
        && encodeForFile(d->loaded, lines.Text()).has_value();
}

QString IniFile::Save() const
{
    if (d->edits.empty())
        return {};
    const QString failure = QStringLiteral("Unable to write to %1").arg(d->path);
    // Under the lock, from reading the file as it is now to replacing it, so
    // that what another process saved meanwhile stays.
    TLockedFile file(d->path, TLockMode::Edit);
    const std::optional<ProfileText> fresh = readWhole(file, d->path);
    if (!fresh)
        return failure;
    ProfileLines lines(fresh->text);
    bool changed = false;
    for (const Data::Edit& edit : d->edits) {
        switch (lines.SetValue(edit.section, edit.key, edit.value)) {
        case ProfileLines::Edit::Unchanged:
            break;
        case ProfileLines::Edit::Changed:
            changed = true;
            break;
        case ProfileLines::Edit::Unstorable:
            return failure;
        }
    }
    if (!changed)
        return {};
    const std::optional<QByteArray> bytes = encodeForFile(*fresh, lines.Text());
    if (!bytes || !file.replace(*bytes))
        return failure;
    return {};
}

} // namespace k740

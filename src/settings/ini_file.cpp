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
void ReportUnread(const QString& path, const QString& reason)
{
    static QSet<QString> gReported;
    if (gReported.contains(path))
        return;
    gReported.insert(path);
    std::fprintf(stderr,
        "k740: %s could not be read whole (%s): its values take their defaults and it is not written\n",
        qPrintable(path), qPrintable(reason));
}

// The file's text; nothing, reported, when it cannot be read whole.
std::optional<TProfileText> ReadWhole(TLockedFile& file, const QString& path)
{
    const std::optional<QByteArray> bytes = file.isOpen() ? file.readAll() : std::nullopt;
    if (!bytes) {
        ReportUnread(path, file.error());
        return std::nullopt;
    }
    std::optional<TProfileText> text = DecodeProfile(*bytes);
    if (!text)
        ReportUnread(path, QStringLiteral("a NUL, or text not valid in its encoding"));
    return text;
}

// The bytes of a file's new text: in its own encoding, and for a file
// without text yet single-byte where that holds the text, else UTF-8 after
// its mark.
std::optional<QByteArray> EncodeForFile(const TProfileText& fresh, const QString& text)
{
    if (!fresh.Text.isEmpty())
        return EncodeProfile({fresh.Encoding, text});
    if (std::optional<QByteArray> bytes = EncodeProfile({TProfileEncoding::Latin1, text}))
        return bytes;
    return EncodeProfile({TProfileEncoding::Utf8, text});
}

} // namespace

struct TIniFile::Data {
    struct TEdit {
        QString Section, Key, Value;
    };

    QString Path;
    TProfileText Loaded; // the text as read, with its encoding
    TProfileLines Lines;
    std::vector<TEdit> Edits; // in the order made, replayed on the file as it is when saving
};

TIniFile::TIniFile(const QString& path)
    : D(std::make_unique<Data>())
{
    D->Path = path;
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return;
    TLockedFile file(path, TLockMode::Read);
    if (const std::optional<TProfileText> text = ReadWhole(file, path)) {
        D->Loaded = *text;
        D->Lines = TProfileLines(text->Text);
    }
}

TIniFile::~TIniFile() = default;

bool TIniFile::sectionExists(const QString& section) const
{
    return D->Lines.sectionExists(section);
}

std::optional<QString> TIniFile::value(const QString& section, const QString& key) const
{
    return D->Lines.value(section, key);
}

void TIniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    D->Lines.setValue(section, key, value);
    D->Edits.push_back({section, key, value});
}

bool TIniFile::canStoreSection(const QString& section) const
{
    TProfileLines lines(D->Loaded.Text);
    return lines.setValue(section, QStringLiteral("K"), QStringLiteral("0")) != TProfileLines::TEdit::Unstorable
        && EncodeForFile(D->Loaded, lines.text()).has_value();
}

QString TIniFile::save() const
{
    if (D->Edits.empty())
        return {};
    const QString failure = QStringLiteral("Unable to write to %1").arg(D->Path);
    // Under the lock, from reading the file as it is now to replacing it, so
    // that what another process saved meanwhile stays.
    TLockedFile file(D->Path, TLockMode::Edit);
    const std::optional<TProfileText> fresh = ReadWhole(file, D->Path);
    if (!fresh)
        return failure;
    TProfileLines lines(fresh->Text);
    bool changed = false;
    for (const Data::TEdit& edit : D->Edits) {
        switch (lines.setValue(edit.Section, edit.Key, edit.Value)) {
        case TProfileLines::TEdit::Unchanged:
            break;
        case TProfileLines::TEdit::Changed:
            changed = true;
            break;
        case TProfileLines::TEdit::Unstorable:
            return failure;
        }
    }
    if (!changed)
        return {};
    const std::optional<QByteArray> bytes = EncodeForFile(*fresh, lines.text());
    if (!bytes || !file.replace(*bytes))
        return failure;
    return {};
}

} // namespace k740

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

// Each file once per run and report: loading and saving both read it.
void ReportOnce(const QString& path, const QString& line)
{
    static QSet<QString> gReported;
    if (gReported.contains(path + line))
        return;
    gReported.insert(path + line);
    std::fprintf(stderr, "k740: %s\n", qPrintable(line));
}

void ReportUnread(const QString& path, const QString& reason)
{
    ReportOnce(path,
        QStringLiteral("%1 could not be read whole (%2): its values take their defaults and it is not written")
            .arg(path, reason));
}

// The text of the file as read; nothing, reported, when it is not text.
std::optional<TProfileText> DecodeWhole(const QByteArray& bytes, const QString& path)
{
    std::optional<TProfileText> text = DecodeProfile(bytes);
    if (!text)
        ReportUnread(path, QStringLiteral("a NUL, or text not valid in its encoding"));
    else if (text->CutOff)
        ReportOnce(path,
            QStringLiteral("%1 ends in NUL bytes, left by a save that was cut off: it is read up to them and "
                           "written whole at the next save")
                .arg(path));
    return text;
}

// The bytes of a file's new text: in its own encoding, and for a file
// without text yet single-byte where that holds the text, else UTF-8 after
// its mark.
std::optional<QByteArray> EncodeForFile(const TProfileText& fresh, const TProfileLines& lines)
{
    if (!fresh.isEmpty())
        return lines.encoded(fresh.Encoding);
    if (std::optional<QByteArray> bytes = lines.encoded(TProfileEncoding::Latin1))
        return bytes;
    return lines.encoded(TProfileEncoding::Utf8);
}

QString SaveFailure(const QString& path, const QString& reason)
{
    return QStringLiteral("cannot write %1: %2; settings not saved").arg(QFileInfo(path).fileName(), reason);
}

QString LockedFailure(const QString& path)
{
    return QStringLiteral("settings not saved: %1 is locked by another program").arg(QFileInfo(path).fileName());
}

} // namespace

struct TIniFile::Data {
    struct TEdit {
        QString Section, Key;
        TValueFromHeld Value;
    };

    QString Path;
    bool LockedElsewhere = false;
    TProfileText Loaded; // the text as read, with its encoding
    TProfileLines Lines;
    std::vector<TEdit> Edits; // in the order made, replayed on the file as it is when saving
};

TIniFile::TIniFile(const QString& path, TIniUse use)
    : D(std::make_unique<Data>())
{
    D->Path = path;
    if (use == TIniUse::EditsOnly || (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()))
        return;
    TLockedFile file(path, TLockMode::Read);
    D->LockedElsewhere = file.lockedElsewhere();
    if (D->LockedElsewhere)
        return;
    const std::optional<QByteArray> bytes = file.isOpen() ? file.readAll() : std::nullopt;
    if (!bytes) {
        ReportUnread(path, file.error());
        return;
    }
    if (std::optional<TProfileText> text = DecodeWhole(*bytes, path)) {
        D->Loaded = std::move(*text);
        D->Lines = TProfileLines(D->Loaded);
    }
}

TIniFile::~TIniFile() = default;

bool TIniFile::lockedElsewhere() const
{
    return D->LockedElsewhere;
}

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
    setValue(section, key, [value](const std::optional<QString>&) { return value; });
}

void TIniFile::setValue(const QString& section, const QString& key, const TValueFromHeld& value)
{
    D->Lines.setValue(section, key, value(D->Lines.value(section, key)));
    D->Edits.push_back({section, key, value});
}

bool TIniFile::canStoreSection(const QString& section) const
{
    TProfileLines lines(D->Loaded);
    return lines.setValue(section, QStringLiteral("K"), QStringLiteral("0")) != TProfileLines::TEdit::Unstorable
        && EncodeForFile(D->Loaded, lines).has_value();
}

QString TIniFile::save() const
{
    if (D->Edits.empty())
        return {};
    // Under the lock, from reading the file as it is now to replacing it, so
    // that what another process saved meanwhile stays.
    TLockedFile file(D->Path, TLockMode::Edit);
    if (file.lockedElsewhere())
        return LockedFailure(D->Path);
    const std::optional<QByteArray> bytes = file.isOpen() ? file.readAll() : std::nullopt;
    if (!bytes)
        return SaveFailure(D->Path, file.error());
    const std::optional<TProfileText> fresh = DecodeWhole(*bytes, D->Path);
    if (!fresh)
        return SaveFailure(D->Path, QStringLiteral("it could not be read whole"));
    TProfileLines lines(*fresh);
    bool changed = fresh->CutOff;
    for (const Data::TEdit& edit : D->Edits) {
        switch (lines.setValue(edit.Section, edit.Key, edit.Value(lines.value(edit.Section, edit.Key)))) {
        case TProfileLines::TEdit::Unchanged:
            break;
        case TProfileLines::TEdit::Changed:
            changed = true;
            break;
        case TProfileLines::TEdit::Unstorable:
            return SaveFailure(D->Path, QStringLiteral("a name or value it cannot hold"));
        }
    }
    if (!changed)
        return {};
    const std::optional<QByteArray> encoded = EncodeForFile(*fresh, lines);
    if (!encoded)
        return SaveFailure(D->Path, QStringLiteral("a name or value it cannot hold"));
    if (!file.replace(*encoded))
        return SaveFailure(D->Path, file.error());
    return {};
}

} // namespace k740

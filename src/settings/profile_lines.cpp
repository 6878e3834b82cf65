#include "settings/profile_lines.h"

#include <algorithm>

namespace k740 {

namespace {

bool IsBlank(QChar c)
{
    return c == ' ' || c == '\t';
}

// Offsets within a line, without blanks and quotes.
struct TPart {
    qsizetype Start = 0, Length = 0;
};

TPart WithoutBlanks(QStringView line, TPart part)
{
    while (part.Length > 0 && IsBlank(line[part.Start])) {
        ++part.Start;
        --part.Length;
    }
    while (part.Length > 0 && IsBlank(line[part.Start + part.Length - 1]))
        --part.Length;
    return part;
}

TPart WithoutQuotes(QStringView line, TPart part)
{
    const QChar first = part.Length >= 2 ? line[part.Start] : QChar();
    const bool quoted = (first == '"' || first == '\'') && line[part.Start + part.Length - 1] == first;
    return quoted ? TPart{part.Start + 1, part.Length - 2} : part;
}

struct TLineParts {
    TLineKind Kind = TLineKind::Blank;
    TPart Name, Value;
};

TLineParts PartsOf(QStringView line)
{
    const TPart text = WithoutBlanks(line, {0, line.size()});
    if (text.Length == 0)
        return {};
    const QChar first = line[text.Start];
    if (first == ';' || first == '#')
        return {TLineKind::Comment, {}, {}};
    const QStringView inside = line.sliced(text.Start, text.Length);
    if (first == '[') {
        const qsizetype close = inside.indexOf(']', 1);
        const qsizetype nameEnd = close < 0 ? text.Length : close;
        return {TLineKind::Header, WithoutBlanks(line, {text.Start + 1, nameEnd - 1}), {}};
    }
    const qsizetype equals = inside.indexOf('=');
    if (equals < 0)
        return {TLineKind::Note, {}, {}};
    const qsizetype valueStart = text.Start + equals + 1;
    return {TLineKind::Key, WithoutBlanks(line, {text.Start, equals}),
        WithoutQuotes(line, WithoutBlanks(line, {valueStart, text.Start + text.Length - valueStart}))};
}

QString PartText(QStringView line, TPart part)
{
    return line.sliced(part.Start, part.Length).toString();
}

bool SameName(QStringView a, QStringView b)
{
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

// A line written with this text is read back with this kind, name and value.
bool ReadsBackAs(const QString& text, TLineKind kind, const QString& name, const QString& value)
{
    if (text.contains('\r') || text.contains('\n'))
        return false;
    const TLineMeaning read = ParseProfileLine(text);
    return read.Kind == kind && read.Name == name && read.Value == value;
}

// Calls `line(start, length, endLength)` for each line of the text.
template <class Visit> void ForEachLine(QStringView text, Visit line)
{
    qsizetype start = 0;
    const QChar* chars = text.data();
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (chars[at] != '\r' && chars[at] != '\n')
            continue;
        const qsizetype endLength = chars[at] == '\r' && at + 1 < text.size() && chars[at + 1] == '\n' ? 2 : 1;
        line(start, at - start, endLength);
        at += endLength - 1;
        start = at + 1;
    }
    if (start < text.size())
        line(start, text.size() - start, 0);
}

} // namespace

std::vector<TProfileLine> SplitProfileLines(QStringView text)
{
    std::vector<TProfileLine> lines;
    ForEachLine(text, [&](qsizetype start, qsizetype length, qsizetype endLength) {
        lines.push_back({text.sliced(start, length).toString(), text.sliced(start + length, endLength).toString()});
    });
    return lines;
}

TLineMeaning ParseProfileLine(QStringView line)
{
    const TLineParts parts = PartsOf(line);
    return {parts.Kind, PartText(line, parts.Name), PartText(line, parts.Value)};
}

TProfileLines::TProfileLines(QString text)
    : Source(std::move(text))
{
    Lines.reserve(std::size_t(std::count(Source.cbegin(), Source.cend(), QChar('\n'))) + 1);
    bool endSeen = false;
    ForEachLine(Source, [&](qsizetype start, qsizetype length, qsizetype endLength) {
        const QStringView line = QStringView(Source).sliced(start, length);
        const TLineParts parts = PartsOf(line);
        const TLineEnd end = endLength == 2  ? TLineEnd::CrLf
            : endLength == 0                 ? TLineEnd::None
            : Source[start + length] == '\r' ? TLineEnd::Cr
                                             : TLineEnd::Lf;
        if (!endSeen && end != TLineEnd::None) {
            LineEnd = end;
            endSeen = true;
        }
        Lines.push_back({{start, length}, {parts.Name.Start, parts.Name.Length},
            {parts.Value.Start, parts.Value.Length}, parts.Kind, end, false});
    });
}

QStringView TProfileLines::textOf(const TLine& line) const
{
    return QStringView(line.Added ? Added : Source).sliced(line.Text.Start, line.Text.Length);
}

TProfileLines::TLine TProfileLines::addedLine(const QString& text, TLineEnd end)
{
    const TLineParts parts = PartsOf(text);
    const qsizetype start = Added.size();
    Added += text;
    return {{start, text.size()}, {parts.Name.Start, parts.Name.Length}, {parts.Value.Start, parts.Value.Length},
        parts.Kind, end, true};
}

QString TProfileLines::text() const
{
    static const QString kEnds[] = {QString(), QStringLiteral("\r"), QStringLiteral("\n"), QStringLiteral("\r\n")};
    QString text;
    text.reserve(Source.size() + Added.size() + qsizetype(Lines.size()));
    for (const TLine& line : Lines)
        text.append(textOf(line)).append(kEnds[int(line.End)]);
    return text;
}

bool TProfileLines::sectionExists(QStringView section) const
{
    return firstBlock(section).has_value();
}

std::optional<QString> TProfileLines::value(QStringView section, QStringView key) const
{
    const std::optional<TBlock> block = firstBlock(section);
    const std::optional<std::size_t> line = block ? keyLine(*block, key) : std::nullopt;
    if (!line)
        return std::nullopt;
    return valueOf(Lines[*line]).toString();
}

TProfileLines::TEdit TProfileLines::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString keyText = key + '=' + value;
    if (!ReadsBackAs('[' + section + ']', TLineKind::Header, section, {})
        || !ReadsBackAs(keyText, TLineKind::Key, key, value))
        return TEdit::Unstorable;

    const std::optional<TBlock> block = firstBlock(section);
    if (!block) {
        insertLine(Lines.size(), '[' + section + ']');
        insertLine(Lines.size(), keyText);
        return TEdit::Changed;
    }
    if (const std::optional<std::size_t> at = keyLine(*block, key)) {
        TLine& line = Lines[*at];
        if (valueOf(line) == value)
            return TEdit::Unchanged;
        line = addedLine(nameOf(line).toString() + '=' + value, line.End);
        return TEdit::Changed;
    }
    // Blank and comment lines after the last entry stay after the new one:
    // they may belong to what follows.
    std::size_t last = block->Header;
    for (std::size_t at = block->Header + 1; at < block->End; ++at)
        if (Lines[at].Kind == TLineKind::Key || Lines[at].Kind == TLineKind::Note)
            last = at;
    insertLine(last + 1, keyText);
    return TEdit::Changed;
}

std::optional<TProfileLines::TBlock> TProfileLines::firstBlock(QStringView section) const
{
    if (LastFound && LastFound->Section == section)
        return LastFound->Block;
    const auto isHeader = [](const TLine& line) { return line.Kind == TLineKind::Header; };
    const auto header = std::find_if(Lines.begin(), Lines.end(),
        [&](const TLine& line) { return isHeader(line) && SameName(nameOf(line), section); });
    std::optional<TBlock> block;
    if (header != Lines.end()) {
        const auto end = std::find_if(header + 1, Lines.end(), isHeader);
        block = TBlock{std::size_t(header - Lines.begin()), std::size_t(end - Lines.begin())};
    }
    LastFound = TFoundBlock{section.toString(), block};
    return block;
}

std::optional<std::size_t> TProfileLines::keyLine(const TBlock& block, QStringView key) const
{
    for (std::size_t at = block.Header + 1; at < block.End; ++at)
        if (Lines[at].Kind == TLineKind::Key && SameName(nameOf(Lines[at]), key))
            return at;
    return std::nullopt;
}

void TProfileLines::insertLine(std::size_t at, const QString& text)
{
    // The new line ends as the line before it: a lone CR there was not
    // followed by an LF, so it cannot join the next line's LF into a CRLF.
    // Only the last line may lack its line end; it gets the first one.
    TLineEnd end = LineEnd;
    if (at > 0) {
        TLineEnd& before = Lines[at - 1].End;
        if (before == TLineEnd::None)
            before = LineEnd;
        end = before;
    }
    const TLine line = addedLine(text, end);
    Lines.insert(Lines.begin() + std::ptrdiff_t(at), line);
    // A key line inside the section last found lengthens it; a new header
    // may end it.
    if (LastFound && LastFound->Block && line.Kind != TLineKind::Header) {
        TBlock& block = *LastFound->Block;
        if (at <= block.Header)
            ++block.Header;
        if (at <= block.End)
            ++block.End;
    } else {
        LastFound.reset();
    }
}

} // namespace k740

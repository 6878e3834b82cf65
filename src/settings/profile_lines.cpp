#include "settings/profile_lines.h"

#include <algorithm>

namespace k740 {

namespace {

bool isBlank(QChar c)
{
    return c == ' ' || c == '\t';
}

// Offsets within a line, without blanks and quotes.
struct Part {
    qsizetype start = 0, length = 0;
};

Part withoutBlanks(QStringView line, Part part)
{
    while (part.length > 0 && isBlank(line[part.start])) {
        ++part.start;
        --part.length;
    }
    while (part.length > 0 && isBlank(line[part.start + part.length - 1]))
        --part.length;
    return part;
}

Part withoutQuotes(QStringView line, Part part)
{
    const QChar first = part.length >= 2 ? line[part.start] : QChar();
    const bool quoted = (first == '"' || first == '\'') && line[part.start + part.length - 1] == first;
    return quoted ? Part{part.start + 1, part.length - 2} : part;
}

struct LineParts {
    LineKind kind = LineKind::Blank;
    Part name, value;
};

LineParts partsOf(QStringView line)
{
    const Part text = withoutBlanks(line, {0, line.size()});
    if (text.length == 0)
        return {};
    const QChar first = line[text.start];
    if (first == ';' || first == '#')
        return {LineKind::Comment, {}, {}};
    const QStringView inside = line.sliced(text.start, text.length);
    if (first == '[') {
        const qsizetype close = inside.indexOf(']', 1);
        const qsizetype nameEnd = close < 0 ? text.length : close;
        return {LineKind::Header, withoutBlanks(line, {text.start + 1, nameEnd - 1}), {}};
    }
    const qsizetype equals = inside.indexOf('=');
    if (equals < 0)
        return {LineKind::Note, {}, {}};
    const qsizetype valueStart = text.start + equals + 1;
    return {LineKind::Key, withoutBlanks(line, {text.start, equals}),
        withoutQuotes(line, withoutBlanks(line, {valueStart, text.start + text.length - valueStart}))};
}

QString partText(QStringView line, Part part)
{
    return line.sliced(part.start, part.length).toString();
}

bool sameName(QStringView a, QStringView b)
{
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

// A line written with this text is read back with this kind, name and value.
bool readsBackAs(const QString& text, LineKind kind, const QString& name, const QString& value)
{
    if (text.contains('\r') || text.contains('\n'))
        return false;
    const LineMeaning read = ParseProfileLine(text);
    return read.kind == kind && read.name == name && read.value == value;
}

// Calls `line(start, length, endLength)` for each line of the text.
template <class Visit> void forEachLine(QStringView text, Visit line)
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

std::vector<ProfileLine> SplitProfileLines(QStringView text)
{
    std::vector<ProfileLine> lines;
    forEachLine(text, [&](qsizetype start, qsizetype length, qsizetype endLength) {
        lines.push_back({text.sliced(start, length).toString(), text.sliced(start + length, endLength).toString()});
    });
    return lines;
}

LineMeaning ParseProfileLine(QStringView line)
{
    const LineParts parts = partsOf(line);
    return {parts.kind, partText(line, parts.name), partText(line, parts.value)};
}

ProfileLines::ProfileLines(QString text)
    : m_source(std::move(text))
{
    m_lines.reserve(std::size_t(std::count(m_source.cbegin(), m_source.cend(), QChar('\n'))) + 1);
    bool endSeen = false;
    forEachLine(m_source, [&](qsizetype start, qsizetype length, qsizetype endLength) {
        const QStringView line = QStringView(m_source).sliced(start, length);
        const LineParts parts = partsOf(line);
        const LineEnd end = endLength == 2     ? LineEnd::CrLf
            : endLength == 0                   ? LineEnd::None
            : m_source[start + length] == '\r' ? LineEnd::Cr
                                               : LineEnd::Lf;
        if (!endSeen && end != LineEnd::None) {
            m_lineEnd = end;
            endSeen = true;
        }
        m_lines.push_back({{start, length}, {parts.name.start, parts.name.length},
            {parts.value.start, parts.value.length}, parts.kind, end, false});
    });
}

QStringView ProfileLines::textOf(const Line& line) const
{
    return QStringView(line.added ? m_added : m_source).sliced(line.text.start, line.text.length);
}

ProfileLines::Line ProfileLines::addedLine(const QString& text, LineEnd end)
{
    const LineParts parts = partsOf(text);
    const qsizetype start = m_added.size();
    m_added += text;
    return {{start, text.size()}, {parts.name.start, parts.name.length}, {parts.value.start, parts.value.length},
        parts.kind, end, true};
}

QString ProfileLines::Text() const
{
    static const QString kEnds[] = {QString(), QStringLiteral("\r"), QStringLiteral("\n"), QStringLiteral("\r\n")};
    QString text;
    text.reserve(m_source.size() + m_added.size() + qsizetype(m_lines.size()));
    for (const Line& line : m_lines)
        text.append(textOf(line)).append(kEnds[int(line.end)]);
    return text;
}

bool ProfileLines::SectionExists(QStringView section) const
{
    return firstBlock(section).has_value();
}

std::optional<QString> ProfileLines::Value(QStringView section, QStringView key) const
{
    const std::optional<Block> block = firstBlock(section);
    const std::optional<std::size_t> line = block ? keyLine(*block, key) : std::nullopt;
    if (!line)
        return std::nullopt;
    return valueOf(m_lines[*line]).toString();
}

ProfileLines::Edit ProfileLines::SetValue(const QString& section, const QString& key, const QString& value)
{
    const QString keyText = key + '=' + value;
    if (!readsBackAs('[' + section + ']', LineKind::Header, section, {})
        || !readsBackAs(keyText, LineKind::Key, key, value))
        return Edit::Unstorable;

    const std::optional<Block> block = firstBlock(section);
    if (!block) {
        insertLine(m_lines.size(), '[' + section + ']');
        insertLine(m_lines.size(), keyText);
        return Edit::Changed;
    }
    if (const std::optional<std::size_t> at = keyLine(*block, key)) {
        Line& line = m_lines[*at];
        if (valueOf(line) == value)
            return Edit::Unchanged;
        line = addedLine(nameOf(line).toString() + '=' + value, line.end);
        return Edit::Changed;
    }
    // Blank and comment lines after the last entry stay after the new one:
    // they may belong to what follows.
    std::size_t last = block->header;
    for (std::size_t at = block->header + 1; at < block->end; ++at)
        if (m_lines[at].kind == LineKind::Key || m_lines[at].kind == LineKind::Note)
            last = at;
    insertLine(last + 1, keyText);
    return Edit::Changed;
}

std::optional<ProfileLines::Block> ProfileLines::firstBlock(QStringView section) const
{
    if (m_lastFound && m_lastFound->section == section)
        return m_lastFound->block;
    const auto isHeader = [](const Line& line) { return line.kind == LineKind::Header; };
    const auto header = std::find_if(m_lines.begin(), m_lines.end(),
        [&](const Line& line) { return isHeader(line) && sameName(nameOf(line), section); });
    std::optional<Block> block;
    if (header != m_lines.end()) {
        const auto end = std::find_if(header + 1, m_lines.end(), isHeader);
        block = Block{std::size_t(header - m_lines.begin()), std::size_t(end - m_lines.begin())};
    }
    m_lastFound = FoundBlock{section.toString(), block};
    return block;
}

std::optional<std::size_t> ProfileLines::keyLine(const Block& block, QStringView key) const
{
    for (std::size_t at = block.header + 1; at < block.end; ++at)
        if (m_lines[at].kind == LineKind::Key && sameName(nameOf(m_lines[at]), key))
            return at;
    return std::nullopt;
}

void ProfileLines::insertLine(std::size_t at, const QString& text)
{
    // The new line ends as the line before it: a lone CR there was not
    // followed by an LF, so it cannot join the next line's LF into a CRLF.
    // Only the last line may lack its line end; it gets the first one.
    LineEnd end = m_lineEnd;
    if (at > 0) {
        LineEnd& before = m_lines[at - 1].end;
        if (before == LineEnd::None)
            before = m_lineEnd;
        end = before;
    }
    const Line line = addedLine(text, end);
    m_lines.insert(m_lines.begin() + std::ptrdiff_t(at), line);
    // A key line inside the section last found lengthens it; a new header
    // may end it.
    if (m_lastFound && m_lastFound->block && line.kind != LineKind::Header) {
        Block& block = *m_lastFound->block;
        if (at <= block.header)
            ++block.header;
        if (at <= block.end)
            ++block.end;
    } else {
        m_lastFound.reset();
    }
}

} // namespace k740

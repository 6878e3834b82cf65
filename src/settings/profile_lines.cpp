#include "settings/profile_lines.h"

#include <algorithm>

namespace k740 {

namespace {

bool isBlank(QChar c)
{
    return c == ' ' || c == '\t';
}

QStringView withoutBlanks(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

QStringView withoutQuotes(QStringView value)
{
    const bool quoted
        = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    return quoted ? value.sliced(1, value.size() - 2) : value;
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A line written with this text is read back with this kind, name and value.
bool readsBackAs(const QString& text, LineKind kind, const QString& name, const QString& value)
{
    if (text.contains('\r') || text.contains('\n'))
        return false;
    const LineMeaning read = ParseProfileLine(text);
    return read.kind == kind && read.name == name && read.value == value;
}

} // namespace

std::vector<ProfileLine> SplitProfileLines(QStringView text)
{
    std::vector<ProfileLine> lines;
    qsizetype start = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at] != '\r' && text[at] != '\n')
            continue;
        const qsizetype endSize = text.sliced(at).startsWith(u"\r\n") ? 2 : 1;
        lines.push_back({text.sliced(start, at - start).toString(), text.sliced(at, endSize).toString()});
        at += endSize - 1;
        start = at + 1;
    }
    if (start < text.size())
        lines.push_back({text.sliced(start).toString(), {}});
    return lines;
}

LineMeaning ParseProfileLine(QStringView line)
{
    const QStringView text = withoutBlanks(line);
    if (text.isEmpty())
        return {LineKind::Blank, {}, {}};
    if (text.front() == ';' || text.front() == '#')
        return {LineKind::Comment, {}, {}};
    if (text.front() == '[') {
        const QStringView inside = text.sliced(1);
        const qsizetype close = inside.indexOf(']');
        return {LineKind::Header, withoutBlanks(close < 0 ? inside : inside.first(close)).toString(), {}};
    }
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return {LineKind::Note, {}, {}};
    return {LineKind::Key, withoutBlanks(text.first(equals)).toString(),
        withoutQuotes(withoutBlanks(text.sliced(equals + 1))).toString()};
}

ProfileLines::ProfileLines(QStringView text)
{
    for (ProfileLine& line : SplitProfileLines(text)) {
        if (m_lineEnd.isEmpty())
            m_lineEnd = line.end;
        LineMeaning meaning = ParseProfileLine(line.text);
        m_lines.push_back({std::move(line), std::move(meaning)});
    }
    if (m_lineEnd.isEmpty())
        m_lineEnd = QStringLiteral("\r\n");
}

QString ProfileLines::Text() const
{
    QString text;
    for (const Line& line : m_lines)
        text += line.line.text + line.line.end;
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
    return m_lines[*line].meaning.value;
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
        LineMeaning& meaning = m_lines[*at].meaning;
        if (meaning.value == value)
            return Edit::Unchanged;
        meaning.value = value;
        m_lines[*at].line.text = meaning.name + '=' + value;
        return Edit::Changed;
    }
    // Blank and comment lines after the last entry stay after the new one:
    // they may belong to what follows.
    std::size_t last = block->header;
    for (std::size_t at = block->header + 1; at < block->end; ++at)
        if (m_lines[at].meaning.kind == LineKind::Key || m_lines[at].meaning.kind == LineKind::Note)
            last = at;
    insertLine(last + 1, keyText);
    return Edit::Changed;
}

std::optional<ProfileLines::Block> ProfileLines::firstBlock(QStringView section) const
{
    const auto isHeader = [](const Line& line) { return line.meaning.kind == LineKind::Header; };
    const auto header = std::find_if(m_lines.begin(), m_lines.end(),
        [&](const Line& line) { return isHeader(line) && sameName(line.meaning.name, section); });
    if (header == m_lines.end())
        return std::nullopt;
    const auto end = std::find_if(header + 1, m_lines.end(), isHeader);
    return Block{std::size_t(header - m_lines.begin()), std::size_t(end - m_lines.begin())};
}

std::optional<std::size_t> ProfileLines::keyLine(const Block& block, QStringView key) const
{
    for (std::size_t at = block.header + 1; at < block.end; ++at)
        if (m_lines[at].meaning.kind == LineKind::Key && sameName(m_lines[at].meaning.name, key))
            return at;
    return std::nullopt;
}

void ProfileLines::insertLine(std::size_t at, const QString& text)
{
    // The new line ends as the line before it: a lone CR there was not
    // followed by an LF, so it cannot join the next line's LF into a CRLF.
    // Only the last line may lack its line end; it gets the first one.
    QString end = m_lineEnd;
    if (at > 0) {
        QString& before = m_lines[at - 1].line.end;
        if (before.isEmpty())
            before = m_lineEnd;
        end = before;
    }
    m_lines.insert(m_lines.begin() + std::ptrdiff_t(at), Line{{text, end}, ParseProfileLine(text)});
}

} // namespace k740

#include "settings/profile_lines.h"

#include "platform/huge_pages.h"

#include <algorithm>
#include <cstring>

namespace k740 {

namespace {

// Lines a save may add without moving all the others.
constexpr std::size_t kAddedLinesRoom = 64;

// A line's text is a QStringView, or a QLatin1StringView where the file's
// single-byte text stays as its bytes; the functions below take either.
char16_t At(QStringView text, qsizetype i)
{
    return text[i].unicode();
}

char16_t At(QLatin1StringView text, qsizetype i)
{
    return uchar(text.data()[i]);
}

// Where the next line end ('\r' or '\n') at or after `from` is; the text's
// size when there is none.
qsizetype NextLineEnd(QStringView text, qsizetype from)
{
    while (from < text.size() && text[from] != '\r' && text[from] != '\n')
        ++from;
    return from;
}

qsizetype NextLineEnd(QLatin1StringView text, qsizetype from)
{
    const char* begin = text.data() + from;
    const qsizetype rest = text.size() - from;
    const void* lineFeed = std::memchr(begin, '\n', size_t(rest));
    const qsizetype lineFeedAt = lineFeed ? static_cast<const char*>(lineFeed) - begin : rest;
    const void* carriageReturn = std::memchr(begin, '\r', size_t(lineFeedAt));
    return from + (carriageReturn ? static_cast<const char*>(carriageReturn) - begin : lineFeedAt);
}

bool HasEquals(QStringView text)
{
    return text.contains(QChar('='));
}

bool HasEquals(QLatin1StringView text)
{
    return std::memchr(text.data(), '=', size_t(text.size())) != nullptr;
}

bool IsBlank(char16_t c)
{
    return c == ' ' || c == '\t';
}

// Offsets within a line, without blanks and quotes.
struct TPart {
    qsizetype Start = 0, Length = 0;
};

template <class View> TPart WithoutBlanks(View line, TPart part)
{
    while (part.Length > 0 && IsBlank(At(line, part.Start))) {
        ++part.Start;
        --part.Length;
    }
    while (part.Length > 0 && IsBlank(At(line, part.Start + part.Length - 1)))
        --part.Length;
    return part;
}

template <class View> TPart WithoutQuotes(View line, TPart part)
{
    const char16_t first = part.Length >= 2 ? At(line, part.Start) : 0;
    const bool quoted = (first == '"' || first == '\'') && At(line, part.Start + part.Length - 1) == first;
    return quoted ? TPart{part.Start + 1, part.Length - 2} : part;
}

struct TLineParts {
    TLineKind Kind = TLineKind::Blank;
    TPart Name, Value;
};

template <class View> TLineParts PartsOf(View line)
{
    const TPart text = WithoutBlanks(line, {0, line.size()});
    if (text.Length == 0)
        return {};
    const char16_t first = At(line, text.Start);
    if (first == ';' || first == '#')
        return {TLineKind::Comment, {}, {}};
    const View inside = line.sliced(text.Start, text.Length);
    if (first == '[') {
        const qsizetype close = inside.indexOf(QChar(']'), 1);
        const qsizetype nameEnd = close < 0 ? text.Length : close;
        return {TLineKind::Header, WithoutBlanks(line, {text.Start + 1, nameEnd - 1}), {}};
    }
    const qsizetype equals = inside.indexOf(QChar('='));
    if (equals < 0)
        return {TLineKind::Note, {}, {}};
    const qsizetype valueStart = text.Start + equals + 1;
    return {TLineKind::Key, WithoutBlanks(line, {text.Start, equals}),
        WithoutQuotes(line, WithoutBlanks(line, {valueStart, text.Start + text.Length - valueStart}))};
}

// What PartsOf(line).Kind tells, without finding the parts.
template <class View> TLineKind KindOf(View line)
{
    qsizetype first = 0;
    while (first < line.size() && IsBlank(At(line, first)))
        ++first;
    if (first == line.size())
        return TLineKind::Blank;
    const char16_t c = At(line, first);
    if (c == ';' || c == '#')
        return TLineKind::Comment;
    if (c == '[')
        return TLineKind::Header;
    return HasEquals(line.sliced(first)) ? TLineKind::Key : TLineKind::Note;
}

template <class View> View NameOf(View line)
{
    const TPart name = PartsOf(line).Name;
    return line.sliced(name.Start, name.Length);
}

template <class View> View ValueOf(View line)
{
    const TPart value = PartsOf(line).Value;
    return line.sliced(value.Start, value.Length);
}

template <class View> bool SameName(View a, QStringView b)
{
    return a.size() == b.size() && b.compare(a, Qt::CaseInsensitive) == 0;
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
template <class View, class Visit> void ForEachLine(View text, Visit line)
{
    qsizetype start = 0;
    for (qsizetype at = NextLineEnd(text, 0); at < text.size(); at = NextLineEnd(text, start)) {
        const qsizetype endLength = At(text, at) == '\r' && at + 1 < text.size() && At(text, at + 1) == '\n' ? 2 : 1;
        line(start, at - start, endLength);
        start = at + endLength;
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
    return {parts.Kind, line.sliced(parts.Name.Start, parts.Name.Length).toString(),
        line.sliced(parts.Value.Start, parts.Value.Length).toString()};
}

template <class Use> auto TProfileLines::withSource(Use use) const
{
    return SingleByte ? use(QLatin1StringView(SingleByteSource)) : use(QStringView(Source));
}

template <class Use> auto TProfileLines::withText(const TLine& line, Use use) const
{
    if (line.Added)
        return use(QStringView(Added).sliced(line.Start, line.Length));
    return withSource([&](auto source) { return use(source.sliced(line.Start, line.Length)); });
}

TProfileLines::TProfileLines(const TProfileText& text)
    : Source(text.Text)
    , SingleByteSource(text.SingleByte)
    , SingleByte(text.Encoding == TProfileEncoding::Latin1)
{
    withSource([this](auto source) { readLines(source); });
}

template <class View> void TProfileLines::readLines(View source)
{
    // Room for the lines a save adds, so that adding them does not move all.
    Lines.reserve(std::size_t(source.count(QChar('\n'))) + kAddedLinesRoom);
    AskForHugePages(Lines.data(), Lines.capacity() * sizeof(TLine));
    bool endSeen = false;
    ForEachLine(source, [&](qsizetype start, qsizetype length, qsizetype endLength) {
        const TLineEnd end = endLength == 2      ? TLineEnd::CrLf
            : endLength == 0                     ? TLineEnd::None
            : At(source, start + length) == '\r' ? TLineEnd::Cr
                                                 : TLineEnd::Lf;
        if (!endSeen && end != TLineEnd::None) {
            LineEnd = end;
            endSeen = true;
        }
        Lines.push_back({start, uint32_t(length), KindOf(source.sliced(start, length)), end, false});
    });
}

TProfileLines::TLine TProfileLines::addedLine(const QString& text, TLineEnd end)
{
    const qsizetype start = Added.size();
    Added += text;
    return {start, uint32_t(text.size()), KindOf(QStringView(text)), end, true};
}

std::optional<QByteArray> TProfileLines::encoded(TProfileEncoding encoding) const
{
    static const QString kEnds[] = {QString(), QStringLiteral("\r"), QStringLiteral("\n"), QStringLiteral("\r\n")};
    TProfileWriter writer(encoding, Source.size() + SingleByteSource.size() + Added.size() + qsizetype(Lines.size()));
    withSource([&](auto source) {
        // Lines that stand in the source as they are, line ends included,
        // one after the other, go as one piece.
        qsizetype runStart = 0, runEnd = 0;
        for (const TLine& line : Lines) {
            const QString& end = kEnds[int(line.End)];
            const qsizetype textEnd = line.Start + line.Length;
            const bool asInSource = !line.Added && source.sliced(textEnd).startsWith(end);
            if (asInSource && line.Start == runEnd && runEnd > 0) {
                runEnd = textEnd + end.size();
                continue;
            }
            writer.append(source.sliced(runStart, runEnd - runStart));
            runStart = runEnd = 0;
            if (asInSource) {
                runStart = line.Start;
                runEnd = textEnd + end.size();
            } else {
                if (line.Added)
                    writer.append(QStringView(Added).sliced(line.Start, line.Length));
                else
                    writer.append(source.sliced(line.Start, line.Length));
                writer.append(end);
            }
        }
        writer.append(source.sliced(runStart, runEnd - runStart));
    });
    return writer.bytes();
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
    return withText(Lines[*line], [](auto text) { return ValueOf(text).toString(); });
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
        if (withText(line, [&](auto text) { return ValueOf(text) == value; }))
            return TEdit::Unchanged;
        line = addedLine(withText(line, [](auto text) { return NameOf(text).toString(); }) + '=' + value, line.End);
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
    const auto header = std::find_if(Lines.begin(), Lines.end(), [&](const TLine& line) {
        return isHeader(line) && withText(line, [&](auto text) { return SameName(NameOf(text), section); });
    });
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
        if (Lines[at].Kind == TLineKind::Key
            && withText(Lines[at], [&](auto text) { return SameName(NameOf(text), key); }))
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

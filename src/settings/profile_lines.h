#pragma once
#include <QString>
#include <optional>
#include <vector>

namespace k740 {

// One line of a text and the line end after it: "\r\n", "\n", "\r", or
// nothing after a last line without one.
struct ProfileLine {
    QString text;
    QString end;
};
std::vector<ProfileLine> SplitProfileLines(QStringView text);

// What a line of an INI file is, taken without the blanks (spaces, tabs)
// around it.
enum class LineKind {
    Blank,
    Comment, // begins with ';' or '#'
    Header,  // begins with '[': the section name runs to ']' or to the end of the line
    Key,     // key '=' value
    Note,    // any other text: kept where it is, never read
};

struct LineMeaning {
    LineKind kind = LineKind::Blank;
    QString name;  // a header's section or a key line's key, without blanks around it
    QString value; // a key line's value, without blanks and then one pair of matching quotes around it
};
LineMeaning ParseProfileLine(QStringView line);

// The lines of an INI file, read and edited as the Windows profile functions
// do. Section names and keys compare without regard to case. Only the first
// block of a section that appears more than once counts, and in it only the
// first line of a key. Every line that is not edited stays as it is, with its
// line end; an added line takes the line end of the line before it (the
// text's first line end after a last line without one, CRLF in a text
// without any).
class ProfileLines {
public:
    explicit ProfileLines(QString text = {});

    QString Text() const;
    bool SectionExists(QStringView section) const;
    std::optional<QString> Value(QStringView section, QStringView key) const;

    enum class Edit { Unchanged, Changed, Unstorable };
    // Replaces the value in the key's line, keeping the key's spelling; a new
    // key goes after the last key or note line of its section, a new section
    // to the end of the text. Unstorable (and nothing changes) when a line
    // holding the section or the key and value would not read back as them.
    Edit SetValue(const QString& section, const QString& key, const QString& value);

private:
    enum class LineEnd : unsigned char { None, Cr, Lf, CrLf };
    // Where a line's text and its parts are: offsets into the source text,
    // or into the text of edited and added lines; no copy per line, so
    // that a file of many megabytes reads quickly.
    struct Span {
        qsizetype start = 0, length = 0;
    };
    struct Line {
        Span text;        // in m_source, or in m_added when `added`
        Span name, value; // within the text
        LineKind kind = LineKind::Blank;
        LineEnd end = LineEnd::None;
        bool added = false;
    };
    // Line indexes: the header of a section's first block and the line after the block.
    struct Block {
        std::size_t header;
        std::size_t end;
    };
    struct FoundBlock {
        QString section;
        std::optional<Block> block;
    };

    QStringView textOf(const Line& line) const;
    QStringView nameOf(const Line& line) const { return textOf(line).sliced(line.name.start, line.name.length); }
    QStringView valueOf(const Line& line) const { return textOf(line).sliced(line.value.start, line.value.length); }
    // A line whose text is `text` appended to m_added.
    Line addedLine(const QString& text, LineEnd end);
    std::optional<Block> firstBlock(QStringView section) const;
    std::optional<std::size_t> keyLine(const Block& block, QStringView key) const;
    void insertLine(std::size_t at, const QString& text);

    QString m_source;
    QString m_added;
    std::vector<Line> m_lines;
    LineEnd m_lineEnd = LineEnd::CrLf; // the text's first line end, CRLF in a text without one
    // The last section looked for: a section's keys are read and written in a row.
    mutable std::optional<FoundBlock> m_lastFound;
};

} // namespace k740

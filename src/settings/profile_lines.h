#pragma once
#include <QString>
#include <optional>
#include <vector>

namespace k740 {

// One line of a text and the line end after it: "\r\n", "\n", "\r", or
// nothing after a last line without one.
struct TProfileLine {
    QString Text;
    QString End;
};
std::vector<TProfileLine> SplitProfileLines(QStringView text);

// What a line of an INI file is, taken without the blanks (spaces, tabs)
// around it.
enum class TLineKind {
    Blank,
    Comment, // begins with ';' or '#'
    Header,  // begins with '[': the section name runs to ']' or to the end of the line
    Key,     // key '=' value
    Note,    // any other text: kept where it is, never read
};

struct TLineMeaning {
    TLineKind Kind = TLineKind::Blank;
    QString Name;  // a header's section or a key line's key, without blanks around it
    QString Value; // a key line's value, without blanks and then one pair of matching quotes around it
};
TLineMeaning ParseProfileLine(QStringView line);

// The lines of an INI file, read and edited as the Windows profile functions
// do. Section names and keys compare without regard to case. Only the first
// block of a section that appears more than once counts, and in it only the
// first line of a key. Every line that is not edited stays as it is, with its
// line end; an added line takes the line end of the line before it (the
// text's first line end after a last line without one, CRLF in a text
// without any).
class TProfileLines {
public:
    explicit TProfileLines(QString text = {});

    QString text() const;
    bool sectionExists(QStringView section) const;
    std::optional<QString> value(QStringView section, QStringView key) const;

    enum class TEdit { Unchanged, Changed, Unstorable };
    // Replaces the value in the key's line, keeping the key's spelling; a new
    // key goes after the last key or note line of its section, a new section
    // to the end of the text. Unstorable (and nothing changes) when a line
    // holding the section or the key and value would not read back as them.
    TEdit setValue(const QString& section, const QString& key, const QString& value);

private:
    enum class TLineEnd : unsigned char { None, Cr, Lf, CrLf };
    // Where a line's text and its parts are: offsets into the source text,
    // or into the text of edited and added lines; no copy per line, so
    // that a file of many megabytes reads quickly.
    struct TSpan {
        qsizetype Start = 0, Length = 0;
    };
    struct TLine {
        TSpan Text;        // in Source, or in Added when `added`
        TSpan Name, Value; // within the text
        TLineKind Kind = TLineKind::Blank;
        TLineEnd End = TLineEnd::None;
        bool Added = false;
    };
    // Line indexes: the header of a section's first block and the line after the block.
    struct TBlock {
        std::size_t Header;
        std::size_t End;
    };
    struct TFoundBlock {
        QString Section;
        std::optional<TBlock> Block;
    };

    QStringView textOf(const TLine& line) const;
    QStringView nameOf(const TLine& line) const { return textOf(line).sliced(line.Name.Start, line.Name.Length); }
    QStringView valueOf(const TLine& line) const { return textOf(line).sliced(line.Value.Start, line.Value.Length); }
    // A line whose text is `text` appended to Added.
    TLine addedLine(const QString& text, TLineEnd end);
    std::optional<TBlock> firstBlock(QStringView section) const;
    std::optional<std::size_t> keyLine(const TBlock& block, QStringView key) const;
    void insertLine(std::size_t at, const QString& text);

    QString Source;
    QString Added;
    std::vector<TLine> Lines;
    TLineEnd LineEnd = TLineEnd::CrLf; // the text's first line end, CRLF in a text without one
    // The last section looked for: a section's keys are read and written in a row.
    mutable std::optional<TFoundBlock> LastFound;
};

} // namespace k740

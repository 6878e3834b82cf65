#pragma once
#include "settings/profile_encoding.h"

#include <QString>
#include <cstdint>
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
enum class TLineKind : unsigned char {
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
    // The text as read: single-byte text stays as its bytes.
    explicit TProfileLines(const TProfileText& text = {});

    // The text's bytes in `encoding`, as TProfileWriter makes them.
    std::optional<QByteArray> encoded(TProfileEncoding encoding) const;
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
    // Where a line's text is: offsets into the source text, or into the
    // text of edited and added lines; no copy per line, and its name and
    // value are found again when asked for, so that a file of many
    // megabytes reads quickly and takes little memory.
    struct TLine {
        qsizetype Start = 0; // of the text, in the source, or in Added when `Added`
        uint32_t Length = 0; // a line of 4 G characters would take 8 GB
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

    template <class View> void readLines(View source);
    // `use` of the source text as a QLatin1StringView or a QStringView.
    template <class Use> auto withSource(Use use) const;
    // `use` of a line's text as a QLatin1StringView or a QStringView.
    template <class Use> auto withText(const TLine& line, Use use) const;
    // A line whose text is `text` appended to Added.
    TLine addedLine(const QString& text, TLineEnd end);
    std::optional<TBlock> firstBlock(QStringView section) const;
    std::optional<std::size_t> keyLine(const TBlock& block, QStringView key) const;
    void insertLine(std::size_t at, const QString& text);

    QString Source;              // the text,
    QByteArray SingleByteSource; // or, for single-byte text, its bytes
    bool SingleByte = false;
    QString Added;
    std::vector<TLine> Lines;
    TLineEnd LineEnd = TLineEnd::CrLf; // the text's first line end, CRLF in a text without one
    // The last section looked for: a section's keys are read and written in a row.
    mutable std::optional<TFoundBlock> LastFound;
};

} // namespace k740

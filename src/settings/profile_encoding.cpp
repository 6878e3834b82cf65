#include "settings/profile_encoding.h"

#include "platform/huge_pages.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <iterator>

namespace k740 {

namespace {

struct TEncodingForm {
    TProfileEncoding Encoding;
    QStringConverter::Encoding Converter;
    const char* Mark;
    int UnitBytes; // bytes of one code unit
};

// No mark begins another; the single-byte form, without a mark, comes last.
const TEncodingForm kForms[] = {
    {TProfileEncoding::Utf16LE, QStringConverter::Utf16LE, "\xFF\xFE", 2},
    {TProfileEncoding::Utf16BE, QStringConverter::Utf16BE, "\xFE\xFF", 2},
    {TProfileEncoding::Utf8, QStringConverter::Utf8, "\xEF\xBB\xBF", 1},
    {TProfileEncoding::Latin1, QStringConverter::Latin1, "", 1},
};

const TEncodingForm& FormOf(TProfileEncoding encoding)
{
    return *std::find_if(
        std::begin(kForms), std::end(kForms), [&](const TEncodingForm& form) { return form.Encoding == encoding; });
}

// The body without a run of NUL bytes at its end, taken from the first
// whole code unit that is NUL to the end.
QByteArrayView WithoutNulTail(QByteArrayView body, int unitBytes)
{
    qsizetype end = body.size();
    while (end > 0 && body[end - 1] == '\0')
        --end;
    if (end < body.size())
        end += (unitBytes - end % unitBytes) % unitBytes;
    return body.first(std::min(end, body.size()));
}

QByteArray EncodeBody(const QString& text, const TEncodingForm& form)
{
    QStringEncoder encoder(form.Converter);
    return encoder.encode(text);
}

} // namespace

std::optional<TProfileText> DecodeProfile(const QByteArray& bytes)
{
    const TEncodingForm& form = *std::find_if(
        std::begin(kForms), std::end(kForms), [&](const TEncodingForm& f) { return bytes.startsWith(f.Mark); });
    const QByteArrayView whole = QByteArrayView(bytes).sliced(qstrlen(form.Mark));
    const QByteArrayView body = WithoutNulTail(whole, form.UnitBytes);
    const bool cutOff = body.size() < whole.size();
    // Every byte is a character of single-byte text, and writes back as itself.
    if (form.Encoding == TProfileEncoding::Latin1) {
        if (body.contains('\0'))
            return std::nullopt;
        return TProfileText{form.Encoding, {}, cutOff ? body.toByteArray() : bytes, cutOff};
    }
    // A second mark after the first is text, not a mark to skip.
    QStringDecoder decoder(form.Converter, QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(body);
    // Invalid sequences become replacement characters and an incomplete one
    // at the end is dropped: then the text does not encode back to the body.
    if (decoder.hasError() || text.contains(QChar(0)) || EncodeBody(text, form) != body)
        return std::nullopt;
    return TProfileText{form.Encoding, std::move(text), {}, cutOff};
}

TProfileWriter::TProfileWriter(TProfileEncoding encoding, qsizetype characters)
    : Encoding(encoding)
    , Encoder(FormOf(encoding).Converter)
    , Bytes(FormOf(encoding).Mark)
    , MarkSize(Bytes.size())
{
    Bytes.reserve(MarkSize + Encoder.requiredSpace(characters));
    AskForHugePages(Bytes.data(), size_t(Bytes.capacity()));
}

void TProfileWriter::append(QStringView piece)
{
    // A NUL would end the text when read. The single-byte encoder tells a
    // character beyond it; UTF-8 has no form for a surrogate that is no pair,
    // which is checked here. UTF-16 holds such a surrogate as it is, and
    // reads it back the same, as a file that already has one is read.
    if (piece.contains(QChar(0)))
        Storable = false;
    if (Encoding == TProfileEncoding::Utf8) {
        for (const QChar c : piece) {
            if (c.isLowSurrogate() != HighSurrogateLast)
                Storable = false;
            HighSurrogateLast = c.isHighSurrogate();
        }
    }
    const qsizetype size = Bytes.size();
    Bytes.resize(size + Encoder.requiredSpace(piece.size()));
    Bytes.truncate(Encoder.appendToBuffer(Bytes.data() + size, piece) - Bytes.constData());
}

void TProfileWriter::append(QLatin1StringView piece)
{
    // Single-byte text needs no encoder: its bytes are the file's.
    if (Encoding != TProfileEncoding::Latin1) {
        append(QString(piece));
        return;
    }
    if (QByteArrayView(piece.data(), piece.size()).contains('\0'))
        Storable = false;
    Bytes.append(piece.data(), piece.size());
}

std::optional<QByteArray> TProfileWriter::bytes()
{
    if (!Storable || HighSurrogateLast || Encoder.hasError())
        return std::nullopt;
    // Single-byte text that begins like a mark would be read as another encoding.
    const QByteArrayView body = QByteArrayView(Bytes).sliced(MarkSize);
    if (Encoding == TProfileEncoding::Latin1
        && std::any_of(std::begin(kForms), std::end(kForms),
            [&](const TEncodingForm& form) { return *form.Mark && body.startsWith(form.Mark); }))
        return std::nullopt;
    return Bytes;
}

} // namespace k740

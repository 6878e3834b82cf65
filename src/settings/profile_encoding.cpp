#include "settings/profile_encoding.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <iterator>

namespace k740 {

namespace {

struct EncodingForm {
    ProfileEncoding encoding;
    QStringConverter::Encoding converter;
    const char* mark;
};

// No mark begins another; the single-byte form, without a mark, comes last.
const EncodingForm kForms[] = {
    {ProfileEncoding::Utf16LE, QStringConverter::Utf16LE, "\xFF\xFE"},
    {ProfileEncoding::Utf16BE, QStringConverter::Utf16BE, "\xFE\xFF"},
    {ProfileEncoding::Utf8, QStringConverter::Utf8, "\xEF\xBB\xBF"},
    {ProfileEncoding::Latin1, QStringConverter::Latin1, ""},
};

const EncodingForm& formOf(ProfileEncoding encoding)
{
    return *std::find_if(
        std::begin(kForms), std::end(kForms), [&](const EncodingForm& form) { return form.encoding == encoding; });
}

QByteArray encodeBody(const QString& text, const EncodingForm& form)
{
    QStringEncoder encoder(form.converter);
    return encoder.encode(text);
}

} // namespace

std::optional<ProfileText> DecodeProfile(const QByteArray& bytes)
{
    const EncodingForm& form = *std::find_if(
        std::begin(kForms), std::end(kForms), [&](const EncodingForm& f) { return bytes.startsWith(f.mark); });
    const QByteArrayView body = QByteArrayView(bytes).sliced(qstrlen(form.mark));
    // Every byte is a character of single-byte text, and writes back as itself.
    if (form.encoding == ProfileEncoding::Latin1) {
        if (body.contains('\0'))
            return std::nullopt;
        return ProfileText{form.encoding, QString::fromLatin1(body)};
    }
    // A second mark after the first is text, not a mark to skip.
    QStringDecoder decoder(form.converter, QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(body);
    // Invalid sequences become replacement characters and an incomplete one
    // at the end is dropped: then the text does not encode back to the body.
    if (decoder.hasError() || text.contains(QChar(0)) || encodeBody(text, form) != body)
        return std::nullopt;
    return ProfileText{form.encoding, std::move(text)};
}

std::optional<QByteArray> EncodeProfile(const ProfileText& text)
{
    const EncodingForm& form = formOf(text.encoding);
    const QByteArray bytes = form.mark + encodeBody(text.text, form);
    const std::optional<ProfileText> back = DecodeProfile(bytes);
    if (!back || back->encoding != text.encoding || back->text != text.text)
        return std::nullopt;
    return bytes;
}

} // namespace k740

// Feeds arbitrary replies through every decoding path and the formatting of
// the result, under arbitrary (also absurd) frame and display settings.
// Input: a settings header (missing bytes read as 0), then the reply.
#include "acquisition/display_setup.h"
#include "acquisition/distance_coded.h"
#include "acquisition/frame_decoder.h"
#include "acquisition/position_format.h"
#include "acquisition/status_display.h"
#include "link/interface_config.h"
#include "link/interface_identity.h"
#include "settings/encoder_settings.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace k740;

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size)
        : data_(data)
        , size_(size)
    {
    }

    template <typename T> T take()
    {
        T value{};
        const size_t n = sizeof(T) < size_ ? sizeof(T) : size_;
        std::memcpy(&value, data_, n);
        data_ += n;
        size_ -= n;
        return value;
    }

    QByteArray rest() const { return QByteArray(reinterpret_cast<const char*>(data_), int(size_)); }

private:
    const uint8_t* data_;
    size_t size_;
};

TEncoderSettings TakeSettings(Input& in)
{
    TEncoderSettings s;
    s.MultiturnBits = in.take<int32_t>();
    s.SSIBits = in.take<int32_t>();
    s.PaddingBits = in.take<int32_t>();
    s.SSIStatusBits = in.take<int32_t>();
    s.DetailedStatusBits = in.take<int32_t>();
    s.CRCBits = in.take<int32_t>();
    s.CPR = in.take<int64_t>();
    s.CPM = in.take<float>();
    s.Units = in.take<int32_t>();
    s.CPP = in.take<int32_t>();
    s.NominalIncr = in.take<int32_t>();
    const uint8_t flags = in.take<uint8_t>();
    s.GrayCode = flags & 1;
    s.Rotary = flags & 2;
    s.Degrees = (flags >> 2) & 3;
    s.SignedMultiturnCounter = flags & 16;
    s.InvertDir = flags & 32;
    s.StatusActiveLow = flags & 64;
    s.BiSS = flags & 128;
    s.DCR = s.GrayCode;
    return s;
}

void FormatFrame(
    const TDecodedFrame& frame, const TPositionFormat& format, const TEncoderSettings& s, const TFrameChecks& checks)
{
    // Offsets subtracted as the cycle does, wrapping rather than overflowing.
    const int64_t rel = int64_t(uint64_t(frame.Position) - uint64_t(frame.RefLatch) / 2);
    WithTurnsPrefix(format, frame.Turns, FormatPosition(format, rel));
    PositionValue(format, rel);
    LogValueText(format, rel);
    FormatDms(s.CPR, frame.Position);
    StatusLevel(frame.Status, s.StatusActiveLow, checks);
    StatusText(frame, s.SSIStatusBits, s.DetailedStatusBits);
    const TDistanceCoded dc = DistanceCodedOffset(frame.RefLatch, frame.Position, s.CPP, s.NominalIncr);
    IsAnotherMark(dc.RefOffset, frame.Position, s.CPP);
    BissCrc6(frame.Turns, uint64_t(frame.Position));
    GrayToBinary(frame.Position);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    TEncoderSettings s = TakeSettings(in);
    const double scale = in.take<double>();
    const int32_t decimals = in.take<int32_t>();
    TPositionFormat format = MakePositionFormat(s, scale, decimals);
    const QByteArray reply = in.rest();

    for (TFrameKind kind : {fkCounter, fkSsiShort, fkSsiLong, fkBiss}) {
        TDecodedFrame frame;
        const TFrameChecks checks = Decode(reply, kind, s, frame);
        if (checks.Valid && s.InvertDir)
            InvertDirection(frame, kind, s.MultiturnBits);
        FormatFrame(frame, format, s, checks);
    }
    PinsCaption(kLinkOk, reply);
    SerialCaption(kLinkOk, reply, s.GrayCode, s.CPP);
    SupplyCaption(kLinkOk, reply);

    const TDisplaySetup setup = DisplaySetupFor(s);
    format.DisplayScale = setup.DisplayScale;
    format.DisplayDecimals = setup.DisplayDecimals;
    FormatPosition(format, s.CPR);
    InterfaceIdentity identity;
    identity.InterfaceKind = TInterfaceKind::Absolute;
    identity.ExtendedInterface = s.SignedMultiturnCounter;
    TConfigTexts texts;
    DeriveFrame(s, identity.InterfaceKind, identity.FirmwareVersion);
    ConfigureInterface(identity, FrameConfigOf(s), texts, [&reply](const QByteArray&, QByteArray& answer) {
        answer = reply;
        return kLinkOk;
    });
    TSummaryContext context{TInterfaceKind(s.Units & 1), texts.BitsText, texts.FrequencyText, s.InvertDir, s.CPP};
    SettingsSummary(s, context);
    return 0;
}

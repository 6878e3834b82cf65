#include "device/device_model.h"

#include "device/bit_frames.h"
#include "device/floor_division.h"

#include <algorithm>

namespace k740sim {

namespace {

const char* const kClockTexts[]
    = {"35 kHz", "70 kHz", "140 kHz", "280 kHz", "560 kHz", "1.1 MHz", "2.2 MHz", "4.4 MHz"};

TReferenceScale ScaleFor(const TDeviceConfig& config)
{
    if (config.DcrNominal > 0 && config.DcrCountsPerPeriod > 0)
        return TReferenceScale::distanceCoded(config.DcrNominal, config.DcrCountsPerPeriod);
    return TReferenceScale::plain(config.RefEvery);
}

int FrameBitsWithoutTurns(const TFrameLayout& l)
{
    return std::min(31, l.PositionBits + l.PaddingBits + l.StatusBits + l.DetailBits);
}

} // namespace

QByteArray IdentityText(const TDeviceConfig& config)
{
    if (!config.Identity.isEmpty())
        return config.Identity;
    return config.Model + "-9" + config.KindLetter + " V" + config.Firmware;
}

TDeviceModel::TDeviceModel(TDeviceConfig config, TMicrosecondClock clock)
    : Config(std::move(config))
    , Motion(std::move(clock), Config.Position, Config.Speed)
    , Scale(ScaleFor(Config))
    , LastSampled(Config.Position)
    , FrameLength(FrameBitsWithoutTurns(Config.Layout))
{
}

std::vector<TReplyPiece> TDeviceModel::receive(const QByteArray& bytes)
{
    std::vector<TReplyPiece> pieces;
    for (const QByteArray& command : Assembler.feed(bytes)) {
        Commands << command;
        sampleMarks();
        TDeviceFault shaping = Config.Fault;
        if (shaping == TDeviceFault::Late) {
            shaping = command == "e" ? TDeviceFault::Delay : TDeviceFault::None;
            if (command == "e")
                Config.Fault = TDeviceFault::None; // one late reply
        }
        for (TReplyPiece& piece : ShapeReply(execute(command), shaping, NoiseState))
            pieces.push_back(std::move(piece));
    }
    return pieces;
}

void TDeviceModel::setPosition(int64_t position)
{
    sampleMarks();
    Motion.setPosition(position);
    sampleMarks();
}

void TDeviceModel::setSpeed(double countsPerSecond)
{
    sampleMarks();
    Motion.setSpeed(countsPerSecond);
}

int32_t TDeviceModel::count() const
{
    return int32_t(uint32_t(Motion.position() - Config.CountOrigin));
}

void TDeviceModel::sampleMarks()
{
    const int64_t now = Motion.position();
    if (const auto mark = Scale.lastMarkCrossed(LastSampled, now)) {
        Latch = int32_t(uint32_t(*mark - Config.CountOrigin));
        RefFlag = 1;
    }
    LastSampled = now;
}

QByteArray TDeviceModel::execute(const QByteArray& command)
{
    switch (command.at(0)) {
    case 'v':
        return IdentityText(Config) + '\r';
    case 'r':
        return Config.Serial2 + '\r';
    case 's':
        return Config.Serial + '\r';
    case 'p':
        return Config.Pins + '\r';
    case 'e':
        return supplyReply();
    case 'n':
        Config.SupplyOn = true;
        return "ON\r";
    case 'f':
        Config.SupplyOn = false;
        return "OFF\r";
    case 'c':
        RefFlag = 0;
        return {};
    case 'z':
        Config.CountOrigin = Motion.position();
        return {};
    case 'b':
        return QByteArray::number(FrameLength) + '\r';
    case 'B':
        return setFrameLength(command.mid(1, command.size() - 2));
    case 'M':
        return setClock(command.at(1));
    case 'm':
        return "FRQ=" + ClockText + '\r';
    case '?':
        return positionReply();
    case '4':
        return captureReply();
    default:
        return {};
    }
}

QByteArray TDeviceModel::supplyReply() const
{
    return Config.SupplyOn ? "1:" + Config.SupplyReadings + '\r' : QByteArrayLiteral("0:0.00 V:0.0 mA\r");
}

QByteArray TDeviceModel::setFrameLength(const QByteArray& digits)
{
    bool ok = false;
    const int bits = digits.toInt(&ok);
    if (!ok || bits < 1 || bits > 64 || Config.Fault == TDeviceFault::Refuse)
        return "ERR\r";
    FrameLength = bits;
    return "OK\r";
}

QByteArray TDeviceModel::setClock(char code)
{
    if (code < '1' || code > '8' || Config.Fault == TDeviceFault::Refuse)
        return "ERR\r";
    ClockText = kClockTexts[code - '1'];
    return "OK\r";
}

TFrameFields TDeviceModel::currentFields() const
{
    const TFrameLayout& l = Config.Layout;
    const int64_t perTurn
        = Config.CountsPerTurn > 0 ? Config.CountsPerTurn : int64_t(1) << std::min(l.PositionBits, 62);
    const int64_t scale = Motion.position();
    const int64_t turns = FloorDiv(scale, perTurn);
    TFrameFields f;
    f.Position = uint64_t(scale - turns * perTurn) & LowBitsMask(l.PositionBits);
    if (Config.GrayCode && Config.Encoder == TEncoderKind::Ssi) // BiSS-C positions are binary
        f.Position = BinaryToGray(f.Position);
    f.Turns = uint64_t(turns) & LowBitsMask(l.MultiturnBits);
    const uint64_t status = Config.StatusActiveLow ? ~uint64_t(Config.Status) : Config.Status;
    f.Status = status & LowBitsMask(l.StatusBits);
    f.Detail = Config.DetailStatus & LowBitsMask(l.DetailBits);
    return f;
}

// The counting interface answers count:latch:flag. An absolute encoder
// answers with the first (multiturn bits + frame length) bits it clocks,
// at most 31, so that the turns above the position field come along.
QByteArray TDeviceModel::positionReply() const
{
    if (Config.Encoder == TEncoderKind::Counter)
        return QByteArray::number(count()) + ':' + QByteArray::number(Latch) + ':' + QByteArray::number(RefFlag) + '\r';
    const int clocked = std::min(31, Config.Layout.MultiturnBits + FrameLength);
    return QByteArray::number(SsiShortFrame(Config.Layout, currentFields(), clocked)) + '\r';
}

QByteArray TDeviceModel::captureReply() const
{
    if (Config.Encoder == TEncoderKind::Counter)
        return {};
    if (Config.Fault == TDeviceFault::AllOnes)
        return "FFFFFFFFFFFFFFFF\r";
    const bool biss = Config.Encoder == TEncoderKind::Biss;
    const uint64_t crcFlip = Config.Fault == TDeviceFault::CrcError ? 1 : 0;
    QByteArray hex = HexCapture(biss ? BissCapture(Config.Layout, currentFields(), Config.AckBits, crcFlip)
                                     : SsiLongCapture(Config.Layout, currentFields()));
    if (Config.Fault == TDeviceFault::NonHex)
        hex.back() = 'G';
    return hex + '\r';
}

} // namespace k740sim

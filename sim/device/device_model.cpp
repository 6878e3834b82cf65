#include "device/device_model.h"

#include "device/bit_frames.h"
#include "device/floor_division.h"

#include <algorithm>

namespace k740sim {

namespace {

const char* const kClockTexts[]
    = {"35 kHz", "70 kHz", "140 kHz", "280 kHz", "560 kHz", "1.1 MHz", "2.2 MHz", "4.4 MHz"};

ReferenceScale ScaleFor(const DeviceConfig& config)
{
    if (config.dcrNominal > 0 && config.dcrCountsPerPeriod > 0)
        return ReferenceScale::DistanceCoded(config.dcrNominal, config.dcrCountsPerPeriod);
    return ReferenceScale::Plain(config.refEvery);
}

int FrameBitsWithoutTurns(const FrameLayout& l)
{
    return std::min(31, l.positionBits + l.paddingBits + l.statusBits + l.detailBits);
}

} // namespace

QByteArray IdentityText(const DeviceConfig& config)
{
    if (!config.identity.isEmpty())
        return config.identity;
    return config.model + "-9" + config.kindLetter + " V" + config.firmware;
}

DeviceModel::DeviceModel(DeviceConfig config, MicrosecondClock clock)
    : config_(std::move(config))
    , motion_(std::move(clock), config_.position, config_.speed)
    , scale_(ScaleFor(config_))
    , lastSampled_(config_.position)
    , frameLength_(FrameBitsWithoutTurns(config_.layout))
{
}

std::vector<ReplyPiece> DeviceModel::receive(const QByteArray& bytes)
{
    std::vector<ReplyPiece> pieces;
    for (const QByteArray& command : assembler_.feed(bytes)) {
        commands_ << command;
        sampleMarks();
        for (ReplyPiece& piece : ShapeReply(execute(command), config_.fault, noiseState_))
            pieces.push_back(std::move(piece));
    }
    return pieces;
}

void DeviceModel::setPosition(int64_t position)
{
    sampleMarks();
    motion_.setPosition(position);
    sampleMarks();
}

void DeviceModel::setSpeed(double countsPerSecond)
{
    sampleMarks();
    motion_.setSpeed(countsPerSecond);
}

int32_t DeviceModel::count() const
{
    return int32_t(uint32_t(motion_.position() - config_.countOrigin));
}

void DeviceModel::sampleMarks()
{
    const int64_t now = motion_.position();
    if (const auto mark = scale_.lastMarkCrossed(lastSampled_, now)) {
        latch_ = int32_t(uint32_t(*mark - config_.countOrigin));
        refFlag_ = 1;
    }
    lastSampled_ = now;
}

QByteArray DeviceModel::execute(const QByteArray& command)
{
    switch (command.at(0)) {
    case 'v':
        return IdentityText(config_) + '\r';
    case 'r':
        return config_.serial2 + '\r';
    case 's':
        return config_.serial + '\r';
    case 'p':
        return config_.pins + '\r';
    case 'e':
        return supplyReply();
    case 'n':
        config_.supplyOn = true;
        return "ON\r";
    case 'f':
        config_.supplyOn = false;
        return "OFF\r";
    case 'c':
        refFlag_ = 0;
        return {};
    case 'z':
        config_.countOrigin = motion_.position();
        return {};
    case 'b':
        return QByteArray::number(frameLength_) + '\r';
    case 'B':
        return setFrameLength(command.mid(1, command.size() - 2));
    case 'M':
        return setClock(command.at(1));
    case 'm':
        return "FRQ=" + clockText_ + '\r';
    case '?':
        return positionReply();
    case '4':
        return captureReply();
    default:
        return {};
    }
}

QByteArray DeviceModel::supplyReply() const
{
    return config_.supplyOn ? "1:" + config_.supplyReadings + '\r' : QByteArrayLiteral("0:0.00 V:0.0 mA\r");
}

QByteArray DeviceModel::setFrameLength(const QByteArray& digits)
{
    bool ok = false;
    const int bits = digits.toInt(&ok);
    if (!ok || bits < 1 || bits > 64)
        return "ERR\r";
    frameLength_ = bits;
    return "OK\r";
}

QByteArray DeviceModel::setClock(char code)
{
    if (code < '1' || code > '8')
        return "ERR\r";
    clockText_ = kClockTexts[code - '1'];
    return "OK\r";
}

FrameFields DeviceModel::currentFields() const
{
    const FrameLayout& l = config_.layout;
    const int64_t perTurn
        = config_.countsPerTurn > 0 ? config_.countsPerTurn : int64_t(1) << std::min(l.positionBits, 62);
    const int64_t scale = motion_.position();
    const int64_t turns = FloorDiv(scale, perTurn);
    FrameFields f;
    f.position = uint64_t(scale - turns * perTurn) & LowBitsMask(l.positionBits);
    if (config_.grayCode)
        f.position = BinaryToGray(f.position);
    f.turns = uint64_t(turns) & LowBitsMask(l.multiturnBits);
    const uint64_t status = config_.statusActiveLow ? ~uint64_t(config_.status) : config_.status;
    f.status = status & LowBitsMask(l.statusBits);
    f.detail = config_.detailStatus & LowBitsMask(l.detailBits);
    return f;
}

// The counting interface answers count:latch:flag. An absolute encoder
// answers with the first (multiturn bits + frame length) bits it clocks,
// at most 31, so that the turns above the position field come along.
QByteArray DeviceModel::positionReply() const
{
    if (config_.encoder == EncoderKind::Counter)
        return QByteArray::number(count()) + ':' + QByteArray::number(latch_) + ':' + QByteArray::number(refFlag_)
            + '\r';
    const int clocked = std::min(31, config_.layout.multiturnBits + frameLength_);
    return QByteArray::number(SsiShortFrame(config_.layout, currentFields(), clocked)) + '\r';
}

QByteArray DeviceModel::captureReply() const
{
    if (config_.encoder == EncoderKind::Counter)
        return {};
    if (config_.fault == DeviceFault::AllOnes)
        return "FFFFFFFFFFFFFFFF\r";
    const bool biss = config_.encoder == EncoderKind::Biss;
    const uint64_t crcFlip = config_.fault == DeviceFault::CrcError ? 1 : 0;
    QByteArray hex = HexCapture(biss ? BissCapture(config_.layout, currentFields(), config_.ackBits, crcFlip)
                                     : SsiLongCapture(config_.layout, currentFields()));
    if (config_.fault == DeviceFault::NonHex)
        hex.back() = 'G';
    return hex + '\r';
}

} // namespace k740sim

#pragma once
#include "device/command_assembler.h"
#include "device/device_config.h"
#include "device/encoder_motion.h"
#include "device/reference_scale.h"

#include <QByteArray>
#include <QList>
#include <vector>

namespace k740sim {

// The K740 interface as seen from its serial port: consumes command bytes
// and answers with reply pieces, with its encoder and reference marks.
// Commands that it does not know are ignored without a reply.
class TDeviceModel {
public:
    explicit TDeviceModel(TDeviceConfig config, TMicrosecondClock clock = SteadyMicroseconds);

    // Bytes from the host; returns the pieces of every reply they trigger.
    std::vector<TReplyPiece> receive(const QByteArray& bytes);
    // Every complete command received so far, raw (e.g. "B15\r").
    const QList<QByteArray>& commands() const { return Commands; }
    void clearCommands() { Commands.clear(); }

    void setFault(TDeviceFault fault) { Config.Fault = fault; }
    TDeviceFault fault() const { return Config.Fault; }
    // Moves the encoder to a scale position; marks passed on the way latch.
    void setPosition(int64_t position);
    void setSpeed(double countsPerSecond);
    void setStatus(uint32_t status) { Config.Status = status; }

    // The encoder's true position on the scale, in counts.
    int64_t truePosition() const { return Motion.position(); }
    // The counting interface's count (what "?" reports first).
    int32_t count() const;
    bool supplyOn() const { return Config.SupplyOn; }
    int frameLength() const { return FrameLength; }
    const TDeviceConfig& config() const { return Config; }

private:
    QByteArray execute(const QByteArray& command);
    QByteArray positionReply() const;
    QByteArray captureReply() const;
    QByteArray supplyReply() const;
    QByteArray setFrameLength(const QByteArray& digits);
    QByteArray setClock(char code);
    TFrameFields currentFields() const;
    // Latches the mark passed since the previous look, if any.
    void sampleMarks();

    TDeviceConfig Config;
    TEncoderMotion Motion;
    TReferenceScale Scale;
    TCommandAssembler Assembler;
    QList<QByteArray> Commands;
    int64_t LastSampled;
    int32_t Latch = 0;
    int RefFlag = 0;
    int FrameLength;
    QByteArray ClockText = "100 kHz";
    uint32_t NoiseState = 0x740C0DE5u;
};

} // namespace k740sim

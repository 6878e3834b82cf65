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
class DeviceModel {
public:
    explicit DeviceModel(DeviceConfig config, MicrosecondClock clock = SteadyMicroseconds);

    // Bytes from the host; returns the pieces of every reply they trigger.
    std::vector<ReplyPiece> receive(const QByteArray& bytes);
    // Every complete command received so far, raw (e.g. "B15\r").
    const QList<QByteArray>& commands() const { return commands_; }
    void clearCommands() { commands_.clear(); }

    void setFault(DeviceFault fault) { config_.fault = fault; }
    DeviceFault fault() const { return config_.fault; }
    // Moves the encoder to a scale position; marks passed on the way latch.
    void setPosition(int64_t position);
    void setSpeed(double countsPerSecond);
    void setStatus(uint32_t status) { config_.status = status; }

    // The encoder's true position on the scale, in counts.
    int64_t truePosition() const { return motion_.position(); }
    // The counting interface's count (what "?" reports first).
    int32_t count() const;
    bool supplyOn() const { return config_.supplyOn; }
    int frameLength() const { return frameLength_; }
    const DeviceConfig& config() const { return config_; }

private:
    QByteArray execute(const QByteArray& command);
    QByteArray positionReply() const;
    QByteArray captureReply() const;
    QByteArray supplyReply() const;
    QByteArray setFrameLength(const QByteArray& digits);
    QByteArray setClock(char code);
    FrameFields currentFields() const;
    // Latches the mark passed since the previous look, if any.
    void sampleMarks();

    DeviceConfig config_;
    EncoderMotion motion_;
    ReferenceScale scale_;
    CommandAssembler assembler_;
    QList<QByteArray> commands_;
    int64_t lastSampled_;
    int32_t latch_ = 0;
    int refFlag_ = 0;
    int frameLength_;
    QByteArray clockText_ = "100 kHz";
    uint32_t noiseState_ = 0x740C0DE5u;
};

} // namespace k740sim

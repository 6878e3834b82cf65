// BiSS-C: the master clock MA idles high. The slave answers on SLO with Ack
// (low), the Start bit (high) and the CDS bit, then the position, the Error
// and Warning bits and the CRC, one bit per rising edge of MA. After the
// last clock SLO stays low for the timeout, then idles high.
#include "diagrams.h"
#include "waveform_painter.h"

namespace k740 {

namespace {
const QSize kSize{978, 194};
constexpr Lane kMaster{36, 66};
constexpr Lane kSlave{102, 132};
constexpr int kNameRow = 156;
constexpr int kGuideBottom = kNameRow - 10;
constexpr int kNameColumn = 18;
constexpr int kLineStart = 70;
constexpr int kFirstFall = 124;
constexpr int kPeriod = 48;
constexpr int kTimeout = 84;
constexpr int kLineEnd = 964;

// Rising edges of MA, counted from 0, where SLO's segments begin and end.
enum Edge {
    AckEdge = 1,
    StartEdge = 3,
    CdsEdge = 4,
    PositionEdge = 5,
    ErrorEdge = 9,
    WarnEdge = 10,
    CrcEdge = 11,
    LastEdge = 14
};

int rising(int edge)
{
    return kFirstFall + kPeriod / 2 + edge * kPeriod;
}
int falling(int edge)
{
    return kFirstFall + edge * kPeriod;
}
} // namespace

QImage PaintBissDiagram()
{
    WaveformPainter d(kSize);
    const int timeoutEnd = rising(LastEdge) + kTimeout;
    for (int edge : {AckEdge, StartEdge, CdsEdge, PositionEdge, ErrorEdge, WarnEdge, CrcEdge, LastEdge})
        d.guide(rising(edge), kMaster.high, kGuideBottom);
    d.guide(timeoutEnd, kMaster.high, kGuideBottom);

    d.levels(kMaster, ClockTrain(kLineStart, kFirstFall, kPeriod, LastEdge + 1), kLineEnd);
    d.levels(kSlave, {{kLineStart, Level::High}, {rising(AckEdge), Level::Low}, {rising(StartEdge), Level::High}},
        rising(CdsEdge));
    d.bus(kSlave,
        {{rising(CdsEdge), rising(PositionEdge), ""}, {rising(PositionEdge), rising(ErrorEdge), ""},
            {rising(ErrorEdge), rising(WarnEdge), ""}, {rising(WarnEdge), rising(CrcEdge), ""},
            {rising(CrcEdge), rising(LastEdge), ""}},
        Level::High, Level::Low);
    d.levels(kSlave, {{rising(LastEdge), Level::Low}, {timeoutEnd, Level::High}}, kLineEnd);
    // Cycles left out in the middle of the position and of the CRC.
    d.breakMark(kMaster, rising((PositionEdge + ErrorEdge) / 2));
    d.breakMark(kMaster, falling(CrcEdge + 2));

    const QFont lineFont = DiagramFont(16, true);
    d.leftLabel(kNameColumn, kMaster.middle(), "MA", lineFont);
    d.leftLabel(kNameColumn, kSlave.middle(), "SLO", lineFont);
    const QFont nameFont = DiagramFont(15);
    const auto name = [&](int from, int to, const char* text) { d.label((from + to) / 2, kNameRow, text, nameFont); };
    name(rising(AckEdge), rising(StartEdge), "Ack");
    name(rising(StartEdge), rising(CdsEdge), "Start");
    name(rising(CdsEdge), rising(PositionEdge), "CDS");
    name(rising(PositionEdge), rising(ErrorEdge), "Position (26 bits)");
    name(rising(ErrorEdge), rising(WarnEdge), "Error");
    name(rising(WarnEdge), rising(CrcEdge), "Warn.");
    name(rising(CrcEdge), rising(LastEdge), "CRC (6 bit)");
    name(rising(LastEdge), timeoutEnd, "Timeout");
    name(timeoutEnd, kLineEnd, "Idle");
    return d.picture();
}

} // namespace k740

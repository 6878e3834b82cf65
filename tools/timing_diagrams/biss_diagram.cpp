// BiSS-C: the master clock MA idles high. The slave answers on SLO with Ack
// (low), the Start bit (high) and the CDS bit, then the position, the Error
// and Warning bits and the CRC, one bit per rising edge of MA. After the
// last clock SLO stays low for the timeout, then idles high.
#include "diagrams.h"
#include "waveform_painter.h"

namespace k740 {

namespace {
const QSize kSize{978, 194};
constexpr TLane kMaster{36, 66};
constexpr TLane kSlave{102, 132};
constexpr int kNameRow = 156;
constexpr int kGuideBottom = kNameRow - 10;
constexpr int kNameColumn = 18;
constexpr int kLineStart = 70;
constexpr int kFirstFall = 124;
constexpr int kPeriod = 48;
constexpr int kTimeout = 84;
constexpr int kLineEnd = 964;

// Rising edges of MA, counted from 0, where SLO's segments begin and end.
enum TEdge {
    AckEdge = 1,
    StartEdge = 3,
    CdsEdge = 4,
    PositionEdge = 5,
    ErrorEdge = 9,
    WarnEdge = 10,
    CrcEdge = 11,
    LastEdge = 14
};

int Rising(int edge)
{
    return kFirstFall + kPeriod / 2 + edge * kPeriod;
}
int Falling(int edge)
{
    return kFirstFall + edge * kPeriod;
}
} // namespace

QImage PaintBissDiagram()
{
    TWaveformPainter d(kSize);
    const int timeoutEnd = Rising(LastEdge) + kTimeout;
    for (int edge : {AckEdge, StartEdge, CdsEdge, PositionEdge, ErrorEdge, WarnEdge, CrcEdge, LastEdge})
        d.guide(Rising(edge), kMaster.High, kGuideBottom);
    d.guide(timeoutEnd, kMaster.High, kGuideBottom);

    d.levels(kMaster, ClockTrain(kLineStart, kFirstFall, kPeriod, LastEdge + 1), kLineEnd);
    d.levels(kSlave, {{kLineStart, TLevel::High}, {Rising(AckEdge), TLevel::Low}, {Rising(StartEdge), TLevel::High}},
        Rising(CdsEdge));
    d.bus(kSlave,
        {{Rising(CdsEdge), Rising(PositionEdge), ""}, {Rising(PositionEdge), Rising(ErrorEdge), ""},
            {Rising(ErrorEdge), Rising(WarnEdge), ""}, {Rising(WarnEdge), Rising(CrcEdge), ""},
            {Rising(CrcEdge), Rising(LastEdge), ""}},
        TLevel::High, TLevel::Low);
    d.levels(kSlave, {{Rising(LastEdge), TLevel::Low}, {timeoutEnd, TLevel::High}}, kLineEnd);
    // Cycles left out in the middle of the position and of the CRC.
    d.breakMark(kMaster, Rising((PositionEdge + ErrorEdge) / 2));
    d.breakMark(kMaster, Falling(CrcEdge + 2));

    const QFont lineFont = DiagramFont(16, true);
    d.leftLabel(kNameColumn, kMaster.middle(), "MA", lineFont);
    d.leftLabel(kNameColumn, kSlave.middle(), "SLO", lineFont);
    const QFont nameFont = DiagramFont(15);
    const auto name = [&](int from, int to, const char* text) { d.label((from + to) / 2, kNameRow, text, nameFont); };
    name(Rising(AckEdge), Rising(StartEdge), "Ack");
    name(Rising(StartEdge), Rising(CdsEdge), "Start");
    name(Rising(CdsEdge), Rising(PositionEdge), "CDS");
    name(Rising(PositionEdge), Rising(ErrorEdge), "Position (26 bits)");
    name(Rising(ErrorEdge), Rising(WarnEdge), "Error");
    name(Rising(WarnEdge), Rising(CrcEdge), "Warn.");
    name(Rising(CrcEdge), Rising(LastEdge), "CRC (6 bit)");
    name(Rising(LastEdge), timeoutEnd, "Timeout");
    name(timeoutEnd, kLineEnd, "Idle");
    return d.picture();
}

} // namespace k740

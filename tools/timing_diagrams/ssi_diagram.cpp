// SSI: the clock idles high; its first falling edge starts the frame, each
// rising edge shifts out the next bit, MSB first. After the LSB the data
// line stays low for the timeout, then idles high.
#include "diagrams.h"
#include "waveform_painter.h"

namespace k740 {

namespace {
const QSize kSize{1012, 257};
constexpr TLane kClock{84, 122};
constexpr TLane kData{160, 198};
constexpr int kPhaseRow = 52;
constexpr int kBitMarkRow = 220;
constexpr int kNameColumn = 18;
constexpr int kLineStart = 96;
constexpr int kFirstFall = 170;
constexpr int kPeriod = 80;
constexpr int kFirstBit = kFirstFall + kPeriod / 2;
constexpr int kGapCell = 3; // cell standing for the bits left out
constexpr int kShownCells = 8;
constexpr int kBitsEnd = kFirstBit + kShownCells * kPeriod;
constexpr int kTimeoutEnd = kBitsEnd + 70;
constexpr int kLineEnd = 1000;

int CellLeft(int cell)
{
    return kFirstBit + cell * kPeriod;
}
int CellCentre(int cell)
{
    return CellLeft(cell) + kPeriod / 2;
}
} // namespace

QImage PaintSsiDiagram()
{
    TWaveformPainter d(kSize);
    for (int cell = 0; cell <= kShownCells; ++cell)
        d.guide(CellLeft(cell), kClock.High, kData.Low);
    d.guide(kFirstFall, kPhaseRow, kData.Low);
    d.guide(kLineStart, kPhaseRow, kData.Low);
    d.guide(kTimeoutEnd, kPhaseRow, kData.Low);
    d.guide(kLineEnd, kPhaseRow, kData.Low);

    d.levels(kClock, ClockTrain(kLineStart, kFirstFall, kPeriod, kShownCells + 1), kLineEnd);
    d.levels(kData, {{kLineStart, TLevel::High}}, kFirstBit);
    const QStringList names{"b35", "b34", "b33", "" /* kGapCell */, "b3", "b2", "b1", "b0"};
    std::vector<TBusCell> cells;
    for (int cell = 0; cell < kShownCells; ++cell)
        cells.push_back({CellLeft(cell), CellLeft(cell + 1), names[cell]});
    d.bus(kData, cells, TLevel::High, TLevel::Low);
    d.levels(kData, {{kBitsEnd, TLevel::Low}, {kTimeoutEnd, TLevel::High}}, kLineEnd);
    d.breakMark(kClock, CellCentre(kGapCell));
    d.breakMark(kData, CellCentre(kGapCell));

    const QFont lineFont = DiagramFont(16, true);
    d.leftLabel(kNameColumn, kClock.middle(), "Clock", lineFont);
    d.leftLabel(kNameColumn, kData.middle(), "Data", lineFont);
    d.label(CellCentre(0), kBitMarkRow, "MSB", DiagramFont(14));
    d.label(CellCentre(kShownCells - 1), kBitMarkRow, "LSB", DiagramFont(14));

    d.span(kLineStart, kFirstFall, kPhaseRow, "Idle");
    d.span(kFirstFall, kFirstBit, kPhaseRow, "Start");
    d.span(kBitsEnd, kTimeoutEnd, kPhaseRow, "Timeout");
    d.span(kTimeoutEnd, kLineEnd, kPhaseRow, "Idle");
    return d.picture();
}

} // namespace k740

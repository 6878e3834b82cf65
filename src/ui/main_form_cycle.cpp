// The 10 ms acquisition cycle.
#include "ui/main_form.h"

#include "acquisition/position_log.h"
#include "acquisition/status_display.h"
#include "link/transaction.h"
#include "platform/screen_saver.h"
#include "platform/tick_counter.h"
#include "ui/layout_rules.h"
#include "ui/panel.h"

#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <thread>

namespace k740 {

namespace {
const char kInvalidFrameText[] = "- - - - - -";
const char kCrcFailedText[] = "CRC check failed";

// The pause between two cycles, counted from the end of the cycle's last
// exchange, so that a cycle follows the previous one after 10 ms plus the
// time of its exchanges. The event loop counts its waits in whole
// milliseconds from when it goes idle, which is after it has painted the new
// read-out, so LoopTimer wakes the cycle up to a millisecond early and the
// cycle sleeps out the rest (at most kTimerLead, so that a cycle run at once,
// not by the timer, does not wait).
constexpr std::chrono::milliseconds kLoopPause(10);
constexpr std::chrono::milliseconds kTimerLead(2);

// |a - b| > limit without overflowing on extreme counts.
bool movedMoreThan(int64_t a, int64_t b, uint64_t limit)
{
    const uint64_t difference = a >= b ? uint64_t(a) - uint64_t(b) : uint64_t(b) - uint64_t(a);
    return difference > limit;
}
} // namespace

void TMainForm::LoopTimerTimer()
{
    LoopTimer->stop();
    if (LoopPauseEnd - std::chrono::steady_clock::now() <= kTimerLead)
        std::this_thread::sleep_until(LoopPauseEnd);
    const TFrameKind kind = FrameKindFor(Identity.InterfaceKind, ActiveSettings);
    if (cycleTransact(PositionRequest(kind)) != kTransactOk) {
        linkLost();
    } else {
        Label5->setText(QString::fromLatin1(LastReply));
        bool valid = true;
        bool crcOk = true;
        Decode(LastReply, kind, ActiveSettings, LastFrame, valid, crcOk);

        if (movedMoreThan(LastFrame.Position, LastMovePosition, 10)) {
            WakeScreenSaverIfRunning();
            LastMovePosition = LastFrame.Position;
        }
        // The counting path always stores new values; a capture only when usable.
        if (ActiveSettings.InvertDir && valid)
            InvertDirection(LastFrame, ActiveSettings.MultiturnBits);
        LastFrame.RefEvent = kind == fkCounter ? CounterReplyFlag(LastReply) : 0;

        QString text;
        if (!Ref.Homing || ActiveSettings.DCR) {
            const int64_t rel = RelativePosition(Ref, LastFrame.Position);
            const PositionFormat format = positionFormat();
            text = WithTurnsPrefix(format, LastFrame.Turns, FormatPosition(format, rel));
            PositionValue = k740::PositionValue(format, rel);
            if (!valid)
                text = kInvalidFrameText;
            if (!crcOk)
                text = kCrcFailedText;
            showPosition(text, rel);
        }
        if (LastFrame.RefEvent == 1) {
            SendNoReply(port_.get(), "c");
            referenceMarkStep(text);
        }
        if (ActiveSettings.ShowStatusColor)
            pColorStatus->setBackground(StatusColour(LastFrame.Status, ActiveSettings.StatusActiveLow, valid, crcOk));
        statusBarStep();
    }
    if (!NotConnected && !Destroyed) {
        // Whole milliseconds, rounded down: the timer fires less than a
        // millisecond early and the cycle sleeps out the rest.
        const auto wait
            = std::chrono::duration_cast<std::chrono::milliseconds>(LoopPauseEnd - std::chrono::steady_clock::now());
        LoopTimer->start(std::max(wait, std::chrono::milliseconds(0)));
    }
}

// One exchange of the cycle into the last reply; the pause to the next
// cycle starts when it ends.
int TMainForm::cycleTransact(const QByteArray& command)
{
    const int result = Transact(port_.get(), command, 0, false, LastReply);
    LoopPauseEnd = std::chrono::steady_clock::now() + kLoopPause;
    return result;
}

PositionFormat TMainForm::positionFormat() const
{
    return MakePositionFormat(ActiveSettings, DisplayScale, DisplayDecimals);
}

void TMainForm::showPosition(const QString& text, int64_t rel)
{
    fitPositionText(text);
    if (ActiveSettings.DCR && Ref.Homing) {
        PosPanel->setText(Ref.BlinkPhase == 1 ? text : QString());
        return;
    }
    PosPanel->setText(text);
    autoSaveStep(rel);
}

void TMainForm::fitPositionText(const QString& text)
{
    auto widthAt = [&](int points) {
        auto metrics = ReadOutMetrics.find(points);
        if (metrics == ReadOutMetrics.end()) {
            QFont font = PosPanel->font();
            font.setPointSize(points);
            metrics = ReadOutMetrics.emplace(points, QFontMetrics(font)).first;
        }
        return metrics->second.horizontalAdvance(text);
    };
    const bool sticky = ActiveSettings.Rotary && ActiveSettings.Degrees < 2;
    const int size = FittedPointSize(widthAt, PosPanel->width(), sticky, FittedFontSize);
    if (PosPanel->font().pointSize() != size) {
        QFont font = PosPanel->font();
        font.setPointSize(size);
        PosPanel->setFont(font);
    }
    if (RefPanel->font().pointSize() != size)
        RefPanel->setFont(PosPanel->font());
    FittedFontSize = size;
}

void TMainForm::autoSaveStep(int64_t rel)
{
    if (!Options.AutoSave || uint32_t(GetTickCount() - LastSaveTick) <= uint32_t(AutoSaveInterval) * 1000u)
        return;
    QString error;
    if (!WriteLogLine(ProgramDir, Identity.PortName, LogValueText(positionFormat(), rel), &error)) {
        // Off first, so the modal message cannot be followed by another.
        Options.AutoSave = false;
        showMessage(error);
    }
    LastSaveTick = GetTickCount();
}

void TMainForm::statusBarStep()
{
    const TEncoderSettings& s = ActiveSettings;
    const bool statusBits = Identity.InterfaceKind == 1 && s.ShowStatusBits;
    if (Identity.ExtendedInterface && s.ShowExtendedData) {
        if (Identity.InterfaceKind != 1) {
            const int result = cycleTransact("p");
            ExtStPanel1->setText(PinsCaption(result, LastReply));
        } else {
            ExtStPanel1->setText(statusBits ? StatusText(LastFrame, s.SSIStatusBits, s.DetailedStatusBits) : QString());
        }
        int result = cycleTransact(SerialRequest(Identity.SecondSerial));
        ExtStPanel2->setText(SerialCaption(result, LastReply, Identity.SecondSerial, Identity.FirmwareVersion));
        result = cycleTransact("e");
        ExtStPanel3->setText(SupplyCaption(result, LastReply));
    } else if (statusBits) {
        ExtStPanel1->setText(StatusText(LastFrame, s.SSIStatusBits, s.DetailedStatusBits));
    }
}

void TMainForm::linkLost()
{
    PosPanel->clear();
    RefPanel->clear();
    if (bbZero->isVisibleTo(this))
        bbZero->setEnabled(false);
    if (bbZeroRef->isVisibleTo(this))
        bbZeroRef->setEnabled(false);
    ClearOnLinkLoss(Ref, LastFrame.RefLatch);
    NotConnected = true;
    initTimer->setInterval(1000);
    initTimer->start();
    StPanel2->setText("K740 not detected");
    StPanel3->clear();
    StPanel3->setToolTip(QString());
    for (TPanel* field : {ExtStPanel1, ExtStPanel2, ExtStPanel3})
        field->hide();
    placeExtendedFields();
}

void TMainForm::showMessage(const QString& text)
{
    QMessageBox::information(this, windowTitle(), text);
}

} // namespace k740

// The session's acquisition cycle: position, reference marks, status.
#include "acquisition/interface_session.h"

#include "acquisition/position_log.h"
#include "acquisition/status_display.h"
#include "link/transaction.h"
#include "platform/screen_saver.h"
#include "platform/tick_counter.h"

#include <algorithm>
#include <thread>

namespace k740 {

namespace {

const char kInvalidFrameText[] = "- - - - - -";
const char kCrcFailedText[] = "CRC check failed";

// The pause between two cycles, counted from the end of the cycle's last
// exchange, so that a cycle follows the previous one after 10 ms plus the
// time of its exchanges. The event loop counts its waits in whole
// milliseconds from when it goes idle, after painting, so the cycle's timer
// may fire up to a millisecond early and the cycle sleeps out the rest (at
// most kTimerLead, so that a cycle run at once, not by the timer, does not wait).
constexpr std::chrono::milliseconds kLoopPause(10);
constexpr std::chrono::milliseconds kTimerLead(2);

// |a - b| > limit without overflowing on extreme counts.
bool MovedMoreThan(int64_t a, int64_t b, uint64_t limit)
{
    const uint64_t difference = a >= b ? uint64_t(a) - uint64_t(b) : uint64_t(b) - uint64_t(a);
    return difference > limit;
}

// The read-out's text for a frame: the position with its turns, or what
// stands in for an unusable frame or a CRC mismatch.
QString CycleText(const TPositionFormat& format, int32_t turns, int64_t rel, const TFrameChecks& checks)
{
    if (!checks.CrcOk)
        return kCrcFailedText;
    if (!checks.Valid)
        return kInvalidFrameText;
    return WithTurnsPrefix(format, turns, FormatPosition(format, rel));
}

} // namespace

void TInterfaceSession::waitForCycleStart() const
{
    if (LoopPauseEnd - std::chrono::steady_clock::now() <= kTimerLead)
        std::this_thread::sleep_until(LoopPauseEnd);
}

int TInterfaceSession::msUntilNextCycle() const
{
    // Whole milliseconds, rounded down: the timer fires less than a
    // millisecond early and the cycle sleeps out the rest.
    const auto wait
        = std::chrono::duration_cast<std::chrono::milliseconds>(LoopPauseEnd - std::chrono::steady_clock::now());
    return int(std::max<int64_t>(wait.count(), 0));
}

// One exchange of the cycle into the last reply; the pause to the next
// cycle starts when it ends.
TLinkResult TInterfaceSession::cycleExchange(const QByteArray& command)
{
    const TLinkResult result = exchange(command);
    LoopPauseEnd = LastExchangeEnd + kLoopPause;
    return result;
}

TCycleResult TInterfaceSession::runCycle()
{
    TCycleResult result;
    waitForCycleStart();
    ++CycleNumber;
    const uint64_t timeoutsBefore = Stats.timeouts();
    const TFrameKind kind = FrameKindFor(Identity.InterfaceKind, ActiveSettings);
    const TLinkResult answer = cycleExchange(PositionRequest(kind));
    PositionReplyTime = LastExchangeEnd;
    Stats.countCycle(PositionReplyTime);
    if (!answer.ok()) {
        linkLost();
        result.LinkLost = true;
        result.Timeouts = Stats.timeouts() - timeoutsBefore;
        sampleCycle(result, TFrameChecks{false, true}, 0, &ReadOutText);
        return result;
    }
    PositionReply.resize(LastReply.size());
    std::copy(LastReply.cbegin(), LastReply.cend(), PositionReply.begin());
    const TFrameChecks checks = Decode(LastReply, kind, ActiveSettings, LastFrame);
    Stats.countFrame(checks);
    const int64_t rawCount = LastFrame.Position;

    if (MovedMoreThan(LastFrame.Position, LastMovePosition, 10)) {
        WakeScreenSaverIfRunning();
        LastMovePosition = LastFrame.Position;
    }
    // An unusable capture renews nothing, so there is nothing to invert.
    if (ActiveSettings.InvertDir && checks.Valid)
        InvertDirection(LastFrame, kind, ActiveSettings.MultiturnBits);
    // Only a usable counting reply carries a reference-mark flag.
    if (kind != fkCounter || !checks.Valid)
        LastFrame.RefEvent = 0;

    QString text;
    std::optional<int64_t> textCount; // the count the text shows, when it shows one
    const bool shown = !Ref.Homing || ActiveSettings.DCR;
    if (shown) {
        const int64_t rel = RelativePosition(Ref, LastFrame.Position);
        const TPositionFormat format = positionFormat();
        text = CycleText(format, LastFrame.Turns, rel, checks);
        if (checks.Valid && checks.CrcOk)
            textCount = rel;
        PositionValue = k740::PositionValue(format, rel);
        ShownValue = DisplayValue(format, rel);
        showPosition(result, rel, text, checks.Valid && checks.CrcOk);
    }
    if (LastFrame.RefEvent == 1) {
        SendNoReply(Port.get(), "c");
        referenceMark(result, text, textCount);
    }
    if (ActiveSettings.ShowStatusColor)
        result.StatusLevel = StatusLevel(LastFrame.Status, ActiveSettings.StatusActiveLow, checks);
    statusBar(result);
    result.Timeouts = Stats.timeouts() - timeoutsBefore;
    sampleCycle(result, checks, rawCount, shown ? &text : nullptr);
    return result;
}

void TInterfaceSession::sampleCycle(
    TCycleResult& result, const TFrameChecks& checks, int64_t rawCount, const QString* shownText)
{
    TCycleSample& sample = result.Sample;
    sample.Number = CycleNumber;
    sample.ReplyTimeUs
        = std::chrono::duration_cast<std::chrono::microseconds>(PositionReplyTime.time_since_epoch()).count();
    sample.Valid = checks.Valid;
    sample.CrcOk = checks.CrcOk;
    const TPositionFormat format = positionFormat();
    const int64_t rel = RelativePosition(Ref, LastFrame.Position);
    if (checks.Valid) {
        sample.RawCount = rawCount;
        sample.Value = DisplayValue(format, rel);
    }
    if (shownText)
        sample.Text = *shownText;
    else // plain homing leaves the read-out as it was
        sample.Text = CycleText(format, LastFrame.Turns, rel, checks);
    if (!Streams.empty())
        Stats.countDroppedRows(Streams.send(sample));
}

void TInterfaceSession::showPosition(TCycleResult& result, int64_t rel, QString text, bool usable)
{
    result.FittingText = text;
    result.ReadOutChanged = true;
    if (ActiveSettings.DCR && Ref.Homing) {
        ReadOutText = Ref.BlinkPhase == 1 ? std::move(text) : QString();
        return;
    }
    ReadOutText = std::move(text);
    // The log never repeats an older value for a frame that is not usable:
    // such a second writes no line.
    if (usable)
        autoSave(result, rel);
}

void TInterfaceSession::autoSave(TCycleResult& result, int64_t rel)
{
    if (!Options.AutoSave || !LogSchedule.take(GetTickCount(), uint32_t(AutoSaveInterval) * 1000u))
        return;
    if (!WriteLogLine(Folders.Logs, Identity.PortName, LogValueText(positionFormat(), rel), &result.LogError))
        Options.AutoSave = false; // off before the message, so that no second one follows
}

void TInterfaceSession::statusBar(TCycleResult& result)
{
    const TEncoderSettings& s = ActiveSettings;
    const bool statusBits = Identity.InterfaceKind == TInterfaceKind::Absolute && s.ShowStatusBits;
    if (Identity.ExtendedInterface && s.ShowExtendedData) {
        if (Identity.InterfaceKind != TInterfaceKind::Absolute) {
            const TLinkResult pins = cycleExchange("p");
            result.StatusBitsCaption = PinsCaption(pins, LastReply);
        } else {
            result.StatusBitsCaption
                = statusBits ? StatusText(LastFrame, s.SSIStatusBits, s.DetailedStatusBits) : QString();
        }
        const TLinkResult serial = cycleExchange(SerialRequest(Identity.SecondSerial));
        result.SerialCaption = SerialCaption(serial, LastReply, Identity.SecondSerial, Identity.FirmwareVersion);
        const TLinkResult supply = cycleExchange("e");
        SupplyState = SupplyStateOf(supply, LastReply);
        result.SupplyCaption = SupplyCaption(supply, LastReply);
    } else if (statusBits) {
        result.StatusBitsCaption = StatusText(LastFrame, s.SSIStatusBits, s.DetailedStatusBits);
    }
}

void TInterfaceSession::linkLost()
{
    ReadOutText.clear();
    clearRefReadOut();
    if (Row.ZeroVisible)
        Row.ZeroEnabled = false;
    if (Row.HomeVisible)
        Row.HomeEnabled = false;
    ClearOnLinkLoss(Ref, LastFrame.RefLatch);
    NotConnected = true;
    Stats.countLinkLoss();
    emit connectionChanged();
    emit pollingChanged();
}

void TInterfaceSession::startHoming()
{
    const bool dcr = ActiveSettings.DCR;
    Row.ZeroVisible = !dcr;
    StartHoming(Ref, dcr, LastFrame.Position, LastFrame.RefLatch, GetTickCount());
    Row.HomeEnabled = false;
    if (dcr) {
        clearRefReadOut();
    } else {
        showRefCount(0);
        Row.ZeroEnabled = false;
    }
}

void TInterfaceSession::referenceMark(TCycleResult& result, const QString& cycleText, std::optional<int64_t> cycleCount)
{
    const TMarkOutcome outcome
        = OnReferenceMark(Ref, ActiveSettings.DCR, LastFrame.RefLatch, ActiveSettings.CPP, ActiveSettings.NominalIncr);
    if (outcome == TMarkOutcome::Ignored)
        return;
    result.ReferenceMarked = true;
    switch (outcome) {
    case TMarkOutcome::PlainMark:
        Row.HomeEnabled = Row.RefLabelEnabled = Row.ZeroEnabled = true;
        showRefCount(int64_t(uint64_t(LastFrame.RefLatch) - uint64_t(Ref.ZeroOffset)));
        return;
    case TMarkOutcome::FirstMark:
        showRefText(cycleText, cycleCount);
        return;
    case TMarkOutcome::SecondMark:
    case TMarkOutcome::SecondMarkRejected:
        Row.HomeEnabled = Row.RefLabelEnabled = true;
        showRefText(cycleText, cycleCount);
        if (outcome == TMarkOutcome::SecondMarkRejected)
            startHoming();
        return;
    case TMarkOutcome::Ignored:
        return;
    }
}

bool TInterfaceSession::cancelHoming()
{
    if (!Ref.Homing)
        return false;
    CancelHoming(Ref, LastFrame.RefLatch);
    Row.HomeEnabled = Row.RefLabelEnabled = true;
    Row.ZeroEnabled = !ActiveSettings.DCR;
    if (ActiveSettings.DCR)
        clearRefReadOut();
    return true;
}

TBlinkResult TInterfaceSession::blinkTick()
{
    TBlinkResult result;
    if (!Ref.Homing)
        return result;
    if (ActiveSettings.DCR) {
        Ref.BlinkPhase = Ref.BlinkPhase == 1 ? 0 : 1;
        result.Interval = Ref.DcrState == TDcrState::SecondMarkAwaited ? 200 : 400;
    } else {
        // Plain homing keeps the read-out's text and blinks it.
        if (!ReadOutText.isEmpty()) {
            HiddenPosition = ReadOutText;
            ReadOutText.clear();
        } else {
            ReadOutText = HiddenPosition;
        }
        result.ReadOutChanged = true;
    }
    if (HomingTimedOut(Ref, GetTickCount(), Options.LayoutEditMode))
        result.Cancelled = cancelHoming();
    return result;
}

void TInterfaceSession::endFlash()
{
    if (ActiveSettings.DCR && Ref.DcrState == TDcrState::Done)
        clearRefReadOut();
}

void TInterfaceSession::showRefCount(int64_t count)
{
    RefReadOutCount = count;
    RefReadOutText = FormatPosition(positionFormat(), count);
}

void TInterfaceSession::showRefText(const QString& text, std::optional<int64_t> count)
{
    RefReadOutCount = count;
    RefReadOutText = text;
}

} // namespace k740

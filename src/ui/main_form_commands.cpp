// ZERO, HOME, Esc, the double clicks of the extended status bar, and the
// homing timers.
#include "ui/main_form.h"

#include "link/transaction.h"
#include "ui/colours.h"
#include "ui/widgets/panel.h"

#include <QTimer>

namespace k740 {

namespace {
constexpr char16_t kEscapeCharacter = 0x1b;
}

void TMainForm::bbZeroClick()
{
    showZeroFailure(Session.zero());
}

// Zeroing shows nothing at once: the next cycle shows the new position,
// whoever asked for it (a click, the position service).
void TMainForm::PosPanelClick()
{
    if (const std::optional<TLinkResult> sent = Session.zeroIfAvailable())
        showZeroFailure(*sent);
}

void TMainForm::showZeroFailure(const TLinkResult& result)
{
    if (!result.ok())
        showMessage("ZERO failed: " + CommandFailureText("z", result) + '.', QMessageBox::Warning);
}

void TMainForm::bbZeroRefClick()
{
    Session.startHoming();
    showRefReadOut();
    showRow();
}

void TMainForm::FormKeyPress(QChar key)
{
    if (key == kEscapeCharacter && Session.cancelHoming()) {
        showRefReadOut();
        showRow();
    }
}

void TMainForm::BlinkTriggerTimer()
{
    const TBlinkResult blink = Session.blinkTick();
    if (blink.Interval)
        ui.BlinkTrigger->setInterval(*blink.Interval);
    if (blink.ReadOutChanged)
        showReadOut();
    if (blink.Cancelled) {
        showRefReadOut();
        showRow();
    }
    if (BlankSummary) {
        clearSummary();
        ui.BlinkTrigger->stop();
    }
}

void TMainForm::TrigTimerTimer()
{
    ui.TrigTimer->stop();
    ui.RefPanel->setBackground(colours::kButtonFace);
    Session.endFlash();
    showRefReadOut();
}

void TMainForm::ExtStPanel3DblClick()
{
    const QString failure = Session.switchSupply();
    if (!failure.isEmpty())
        showMessage(failure, QMessageBox::Warning);
}

void TMainForm::ExtStPanel2DblClick()
{
    Session.toggleSerialSource();
}

} // namespace k740

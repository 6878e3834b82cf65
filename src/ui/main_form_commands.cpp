// Settings applied to the interface and display; ZERO, HOME, Esc and the
// double clicks of the extended status bar; the homing timers.
#include "ui/main_form.h"

#include "acquisition/display_setup.h"
#include "link/transaction.h"
#include "platform/tick_counter.h"
#include "ui/colours.h"
#include "ui/panel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

namespace k740 {

void TMainForm::ApplySettings(bool dcrWasOn)
{
    if (Identity.InterfaceKind == 1)
        AdjustForAbsoluteInterface(ActiveSettings);
    ConfigureInterface(
        Identity, FrameConfigOf(ActiveSettings), ConfigTexts, [this](const QByteArray& command, QByteArray& reply) {
            const int result = Transact(port_.get(), command, 0, false, LastReply);
            reply = LastReply;
            return result;
        });

    const TDisplaySetup display = DisplaySetupFor(ActiveSettings);
    DisplayScale = display.DisplayScale;
    DisplayDecimals = display.DisplayDecimals;
    ActiveSettings.Units = display.Units;
    PosLabel->setText(display.PosLabelCaption);
    PosLabel->adjustSize();

    ExtStPanel1->setVisible(ActiveSettings.ShowExtendedData || ActiveSettings.ShowStatusBits);
    ExtStPanel2->setVisible(ActiveSettings.ShowExtendedData);
    ExtStPanel3->setVisible(ActiveSettings.ShowExtendedData);
    placeExtendedFields();
    pColorStatus->setVisible(ActiveSettings.ShowStatusColor);
    if (ActiveSettings.ShowStatusColor)
        PlaceStatusColour();

    TSummaryContext context;
    context.InterfaceKind = Identity.InterfaceKind;
    context.BitsText = ConfigTexts.BitsText;
    context.FrequencyText = ConfigTexts.FrequencyText;
    context.AutoSave = Options.AutoSave;
    context.AutoSaveInterval = AutoSaveInterval;
    setSummary(SettingsSummary(ActiveSettings, context), true);

    bbZero->setEnabled(!ActiveSettings.DCR);
    if (ActiveSettings.DCR && !dcrWasOn)
        bbZeroRefClick();
}

void TMainForm::bbZeroClick()
{
    SendNoReply(port_.get(), "z");
    Ref.ZeroOffset = 0;
}

void TMainForm::PosPanelClick()
{
    if (bbZero->isVisibleTo(this) && bbZero->isEnabled())
        bbZeroClick();
}

void TMainForm::bbZeroRefClick()
{
    const bool dcr = ActiveSettings.DCR;
    bbZero->setVisible(!dcr);
    StartHoming(Ref, dcr, LastFrame.Position, LastFrame.RefLatch, GetTickCount());
    if (dcr) {
        RefPanel->clear();
        bbZeroRef->setEnabled(false);
    } else {
        RefPanel->setText(FormatPosition(positionFormat(), 0));
        bbZeroRef->setEnabled(false);
        bbZero->setEnabled(false);
    }
}

void TMainForm::referenceMarkStep(const QString& cycleText)
{
    const TMarkOutcome outcome
        = OnReferenceMark(Ref, ActiveSettings.DCR, LastFrame.RefLatch, ActiveSettings.CPP, ActiveSettings.NominalIncr);
    switch (outcome) {
    case TMarkOutcome::Ignored:
        return;
    case TMarkOutcome::PlainMark:
        bbZeroRef->setEnabled(true);
        RefLabel->setEnabled(true);
        bbZero->setEnabled(true);
        flashReference(
            FormatPosition(positionFormat(), int64_t(uint64_t(LastFrame.RefLatch) - uint64_t(Ref.ZeroOffset))));
        return;
    case TMarkOutcome::FirstMark:
        flashReference(cycleText);
        return;
    case TMarkOutcome::SecondMark:
    case TMarkOutcome::SecondMarkRejected:
        bbZeroRef->setEnabled(true);
        RefLabel->setEnabled(true);
        flashReference(cycleText);
        if (outcome == TMarkOutcome::SecondMarkRejected)
            bbZeroRefClick();
        return;
    }
}

void TMainForm::flashReference(const QString& text)
{
    RefPanel->setText(text);
    RefPanel->setBackground(Colours::Flash);
    TrigTimer->start();
}

void TMainForm::TrigTimerTimer()
{
    TrigTimer->stop();
    RefPanel->setBackground(QApplication::palette().color(QPalette::Button));
    if (ActiveSettings.DCR && Ref.DcrState == 2)
        RefPanel->clear();
}

void TMainForm::BlinkTriggerTimer()
{
    if (Ref.Homing) {
        if (ActiveSettings.DCR) {
            Ref.BlinkPhase = Ref.BlinkPhase == 1 ? 0 : 1;
            BlinkTrigger->setInterval(Ref.DcrState == 1 ? 200 : 400);
        } else if (!PosPanel->text().isEmpty()) {
            HiddenPosition = PosPanel->text();
            PosPanel->clear();
        } else {
            PosPanel->setText(HiddenPosition);
        }
        if (HomingTimedOut(Ref, GetTickCount(), Options.LayoutEditMode))
            cancelHoming();
    }
    if (BlankSummary) {
        StPanel3->clear();
        StPanel3->setToolTip(QString());
        BlinkTrigger->stop();
    }
}

void TMainForm::cancelHoming()
{
    CancelHoming(Ref, LastFrame.RefLatch);
    bbZeroRef->setEnabled(true);
    RefLabel->setEnabled(true);
    bbZero->setEnabled(!ActiveSettings.DCR);
    if (ActiveSettings.DCR)
        RefPanel->clear();
}

void TMainForm::FormKeyPress(int character)
{
    if (character == 27 && Ref.Homing)
        cancelHoming();
}

void TMainForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        FormKeyPress(27);
    QWidget::keyPressEvent(event);
}

void TMainForm::ExtStPanel3DblClick()
{
    if (ExtStPanel3->text().isEmpty())
        return;
    const QByteArray command = ExtStPanel3->text().toUpper().contains("OFF") ? "n" : "f";
    Transact(port_.get(), command, 0, false, LastReply);
}

void TMainForm::ExtStPanel2DblClick()
{
    Identity.SecondSerial = !Identity.SecondSerial && Identity.FirmwareVersion >= 117;
}

} // namespace k740

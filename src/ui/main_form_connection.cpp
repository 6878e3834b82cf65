// Search for the interface and connection to it.
#include "ui/main_form.h"

#include "link/discovery.h"
#include "link/transaction.h"
#include "ui/colours.h"
#include "ui/com_port_form.h"
#include "ui/panel.h"
#include "ui/settings_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace k740 {

void TMainForm::initTimerTimer()
{
    initTimer->stop();
    closePort();
    setSummary("Searching for interfaces...", false);
    StPanel3->repaint();
    Identity.PortName.clear();

    const QStringList candidates = ports_.candidatePorts();
    if (ComPortForm)
        ComPortForm->clearItems();
    const ProbeResult probe = ProbePorts(ports_, candidates, Options.SerialFilter,
        [this](int errorCode) { StPanel2->setText("Last Error: " + QString::number(errorCode)); });
    if (!CursorRestored) {
        QApplication::restoreOverrideCursor();
        CursorRestored = true;
    }
    if (Destroyed)
        return;

    const QString chosen = ChoosePort(probe,
        [this](const QStringList& answering) { return ComPortForm ? ComPortForm->choose(answering) : QString(); });
    if (!chosen.isEmpty() && !Destroyed)
        connectTo(chosen);

    if (NotConnected && !Destroyed) {
        BlankSummary = true;
        BlinkTrigger->start();
        initTimer->setInterval(1000);
        initTimer->start();
    }
}

// Opens the port for good and checks the identity; false ends the attempt.
bool TMainForm::openAndIdentify(const QString& portName)
{
    int errorCode = 0;
    port_ = ports_.open(portName, errorCode);
    if (!port_ || !port_->configureLine())
        return false;
    if (Transact(port_.get(), "v", 0, false, LastReply) != kTransactOk || !IsIdentityReply(LastReply))
        return false;
    if (!IsSupportedIdentity(LastReply)) {
        BlankSummary = true;
        if (LastReply.startsWith("K740-9B") && UnsupportedNoticeArmed) {
            UnsupportedNoticeArmed = false;
            QMessageBox::warning(this, "K740-9B", "K740-9B BiSS interface is not supported.\r\n");
        }
        return false;
    }
    BlankSummary = false;
    UnsupportedNoticeArmed = true;
    return true;
}

void TMainForm::connectTo(const QString& portName)
{
    Identity.PortName = portName;
    if (!openAndIdentify(portName))
        return;
    Identity = IdentityFromReply(LastReply, portName);

    if (Identity.InterfaceKind == 0) {
        SendNoReply(port_.get(), "c");
        PosPanel->setFontColour(Colours::Green);
    } else {
        QByteArray counterReply;
        Transact(port_.get(), "b", 0, false, counterReply);
        PosPanel->setFontColour(Colours::Navy);
    }

    QString portText = " " + Identity.IdentityText;
    if (!Options.SerialFilter.isEmpty())
        portText += " (" + Options.SerialFilter + ")";
    StPanel2->setText(portText + " on " + Identity.PortName);
    if (SettingsForm)
        SettingsForm->InfoPanel->setText(" " + StPanel1->text() + " / " + Identity.IdentityText);

    if (Identity.ExtendedInterface) {
        Transact(port_.get(), "s", 0, false, LastReply);
        if (Transact(port_.get(), "e", 0, false, LastReply) == kTransactOk && LastReply.startsWith("0"))
            Transact(port_.get(), "n", 0, false, LastReply);
    }

    arrangeRowForKind();
    if (ActiveSettings.ShowStatusColor)
        PlaceStatusColour();
    NotConnected = false;
    loadSettings();
    if (SettingsForm)
        SettingsForm->cbAutoSave->setToolTip("File name: " + ProgramDir + "K740_" + Identity.PortName + ".LOG");
    arrangeRowForSettings();
    if (Options.LayoutEditMode)
        restoreLayoutFromSettings();
    ApplySettings(false);
    LoopTimer->start();
    BlinkTrigger->setInterval(500);
    BlinkTrigger->start();
    ConnectedOnce = true;
    FittedFontSize = 72;
}

void TMainForm::arrangeRowForKind()
{
    const bool counting = Identity.InterfaceKind == 0;
    for (QWidget* w :
        {static_cast<QWidget*>(bbZero), static_cast<QWidget*>(bbZeroRef), static_cast<QWidget*>(RefLabel)})
        w->setEnabled(counting);
    for (QWidget* w : {static_cast<QWidget*>(bbZero), static_cast<QWidget*>(bbZeroRef), static_cast<QWidget*>(RefLabel),
             static_cast<QWidget*>(RefPanel)})
        w->setVisible(counting);
    layoutRow();
}

void TMainForm::arrangeRowForSettings()
{
    const bool counting = Identity.InterfaceKind == 0;
    bbZero->setEnabled(counting && !ActiveSettings.DCR);
    bbZero->setVisible(counting && !ActiveSettings.DCR);
    bbZeroRef->setEnabled(counting);
    bbZeroRef->setVisible(counting);
    RefLabel->setEnabled(counting);
    const bool refShown = counting && !(ActiveSettings.DCR && !ActiveSettings.ShowRefMarks && Options.LayoutEditMode);
    RefLabel->setVisible(refShown);
    RefPanel->setVisible(refShown);
    layoutRow();
    if (RefPanel->isVisible()) {
        bbZeroRef->resize(bbZeroRef->width(), bbZero->height());
        RefPanel->resize(RefPanel->width(), PosPanel->height());
    } else if (bbZeroRef->isVisible()) {
        bbZeroRef->resize(bbZeroRef->width(), 30);
    }
}

void TMainForm::setSummary(const QString& text, bool settingsStyle)
{
    StPanel3->setText(text);
    StPanel3->setFontColour(settingsStyle ? Colours::Navy : QColor(Qt::black));
    QFont font = StPanel3->font();
    font.setBold(settingsStyle);
    font.setUnderline(settingsStyle);
    StPanel3->setFont(font);
    StPanel3->setToolTip(settingsStyle ? "   Double click to change   " : QString());
}

} // namespace k740

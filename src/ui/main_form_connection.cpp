// Search for the interface, connection, and applying the settings.
#include "ui/main_form.h"

#include "ui/colours.h"
#include "ui/com_port_form.h"
#include "ui/settings_form.h"
#include "ui/widgets/move_sizer.h"
#include "ui/widgets/panel.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

namespace k740 {

void TMainForm::initTimerTimer()
{
    ui.initTimer->stop();
    setSummary("Searching for interfaces...", false);
    ui.StPanel3->repaint();
    const TProbeResult probe = Session.search();
    if (!CursorRestored) {
        QApplication::restoreOverrideCursor();
        CursorRestored = true;
    }
    if (Destroyed)
        return;
    const QString chosen = Session.choosePort(probe,
        [this](const QStringList& answering) { return ComPortForm ? ComPortForm->choose(answering) : QString(); });
    if (!chosen.isEmpty() && !Destroyed)
        connectTo(chosen);

    if (Session.notConnected() && !Destroyed) {
        BlankSummary = true;
        ui.BlinkTrigger->start();
        searchAgainLater();
    }
    showLinkFigures();
}

void TMainForm::searchAgainLater()
{
    ui.initTimer->setInterval(kSearchRetryMs);
    ui.initTimer->start();
}

void TMainForm::connectTo(const QString& portName)
{
    const TConnectResult result = Session.connectTo(portName, liveGeometry());
    if (result.Outcome == TConnectOutcome::Unsupported) {
        BlankSummary = true;
        if (result.ShowUnsupportedNotice)
            showMessage("K740-9B BiSS interface is not supported.\r\n", QMessageBox::Warning, "K740-9B");
    }
    if (result.Outcome != TConnectOutcome::Connected)
        return;
    BlankSummary = false;

    const InterfaceIdentity& identity = Session.identity();
    const bool counting = identity.InterfaceKind == TInterfaceKind::Counting;
    ui.PosPanel->setFontColour(counting ? colours::kGreen : colours::kNavy);
    const QString filter = Session.options().SerialFilter;
    ui.StPanel2->setText(" " + identity.IdentityText + (filter.isEmpty() ? QString() : " (" + filter + ")") + " on "
        + identity.PortName);
    ui.StPanel2->setToolTip(QString());
    ConnectionHint.connected();
    if (SettingsForm) {
        SettingsForm->setInfoText(" " + ui.StPanel1->text() + " / " + identity.IdentityText);
        SettingsForm->setAutoSaveHint("File name: " + Session.logFileName());
    }
    if (!result.SettingsErrors.isEmpty())
        showMessage(result.SettingsErrors.join("; "), QMessageBox::Critical);
    if (!result.SupplyError.isEmpty())
        showMessage(result.SupplyError, QMessageBox::Warning);

    showRow(true);
    if (!Session.row().RefReadOutVisible)
        ScPos->setActive(Session.options().LayoutEditMode);
    // The window takes the keyboard from the status fields, so that Tab and
    // the arrow keys reach the move/resize component.
    if (ScPos->Active())
        setFocus();
    if (Session.options().LayoutEditMode)
        restoreLayoutFromSettings();
    ApplySettings(false);
    ui.LoopTimer->start();
    ui.BlinkTrigger->setInterval(kBlinkMs);
    ui.BlinkTrigger->start();
    FittedFontSize = kDesignFontPoints;
}

void TMainForm::ApplySettings(bool dcrWasOn)
{
    const TApplyResult applied = Session.applySettings(dcrWasOn);
    ui.PosLabel->setText(applied.PosLabelCaption);
    ui.PosLabel->adjustSize();
    ui.ExtStPanel1->setVisible(applied.StatusBitsShown);
    ui.ExtStPanel2->setVisible(applied.ExtendedShown);
    ui.ExtStPanel3->setVisible(applied.ExtendedShown);
    placeExtendedFields();
    const bool statusColour = Session.activeSettings().ShowStatusColor;
    ui.pColorStatus->setVisible(statusColour);
    if (statusColour)
        PlaceStatusColour();
    setSummary(applied.Summary, true);
    showRow();
    if (!applied.ConfigError.isEmpty()) {
        std::fprintf(stderr, "k740: %s\n", qPrintable(applied.ConfigError));
        showMessage(applied.ConfigError, QMessageBox::Warning);
    }
    if (applied.StartHoming)
        bbZeroRefClick();
}

// The row's visibility and enabled states as the session has them; laid out
// again when what shows changed, or always with `relayout`.
void TMainForm::showRow(bool relayout)
{
    const TRowState& row = Session.row();
    relayout = relayout || ui.RefPanel->isVisibleTo(this) != row.RefReadOutVisible
        || ui.bbZeroRef->isVisibleTo(this) != row.HomeVisible;
    ui.bbZero->setVisible(row.ZeroVisible);
    ui.bbZero->setEnabled(row.ZeroEnabled);
    ui.bbZeroRef->setVisible(row.HomeVisible);
    ui.bbZeroRef->setEnabled(row.HomeEnabled);
    ui.RefLabel->setEnabled(row.RefLabelEnabled);
    ui.RefLabel->setVisible(row.RefReadOutVisible);
    ui.RefPanel->setVisible(row.RefReadOutVisible);
    if (!relayout)
        return;
    layoutRow();
    if (row.RefReadOutVisible) {
        ui.bbZeroRef->resize(ui.bbZeroRef->width(), ui.bbZero->height());
        ui.RefPanel->resize(ui.RefPanel->width(), ui.PosPanel->height());
    } else if (row.HomeVisible) {
        ui.bbZeroRef->resize(ui.bbZeroRef->width(), kHomeButtonHeight);
    }
}

void TMainForm::setSummary(const QString& text, bool settingsStyle)
{
    SettingsSummaryShown = settingsStyle && !text.isEmpty();
    ui.StPanel3->setText(text);
    ui.StPanel3->setFontColour(settingsStyle ? colours::kNavy : QColor(Qt::black));
    QFont font = ui.StPanel3->font();
    font.setBold(settingsStyle);
    font.setUnderline(settingsStyle);
    ui.StPanel3->setFont(font);
    ui.StPanel3->setToolTip(settingsStyle ? "   Double click to change   " : QString());
}

void TMainForm::clearSummary()
{
    SettingsSummaryShown = false;
    ui.StPanel3->clear();
    ui.StPanel3->setToolTip(QString());
}

} // namespace k740

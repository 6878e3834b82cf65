// What the search and the connection show, and the settings put in force.
#include "ui/main_form.h"

#include "ui/colours.h"
#include "ui/settings_form.h"
#include "ui/widgets/move_sizer.h"
#include "ui/widgets/panel.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

namespace k740 {

void TMainForm::showSearchStart()
{
    setSummary("Searching for interfaces...", false);
    ui.StPanel3->repaint();
}

void TMainForm::showSearchResult(const TSearchResult& result)
{
    if (!CursorRestored) {
        QApplication::restoreOverrideCursor();
        CursorRestored = true;
    }
    if (Destroyed)
        return;
    const TConnectResult& connection = result.Connection;
    if (connection.Outcome == TConnectOutcome::Unsupported && connection.ShowUnsupportedNotice)
        showMessage("K740-9B BiSS interface is not supported.\r\n", QMessageBox::Warning, "K740-9B");
    if (connection.Outcome == TConnectOutcome::Connected)
        showConnection(result);
    if (Session.notConnected() && !Destroyed) {
        BlankSummary = true;
        ui.BlinkTrigger->start();
    }
    showLinkFigures();
}

void TMainForm::showConnection(const TSearchResult& result)
{
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
    if (!result.Connection.SettingsErrors.isEmpty())
        showMessage(result.Connection.SettingsErrors.join("; "), QMessageBox::Critical);
    if (!result.Connection.SupplyError.isEmpty())
        showMessage(result.Connection.SupplyError, QMessageBox::Warning);

    showRow(true);
    if (!Session.row().RefReadOutVisible)
        ScPos->setActive(Session.options().LayoutEditMode);
    // The window takes the keyboard from the status fields, so that Tab and
    // the arrow keys reach the move/resize component.
    if (ScPos->Active())
        setFocus();
    if (Session.options().LayoutEditMode)
        restoreLayoutFromSettings();
    showAppliedSettings(result.Applied);
    ui.BlinkTrigger->setInterval(kBlinkMs);
    ui.BlinkTrigger->start();
    FittedFontSize = kDesignFontPoints;
}

void TMainForm::ApplySettings(bool dcrWasOn)
{
    showAppliedSettings(Session.putSettingsInForce(dcrWasOn));
}

void TMainForm::showAppliedSettings(const TApplyResult& applied)
{
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

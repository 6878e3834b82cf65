// What each acquisition cycle shows.
#include "ui/main_form.h"

#include "platform/tick_counter.h"
#include "ui/colours.h"
#include "ui/layout_rules.h"
#include "ui/widgets/move_sizer.h"
#include "ui/widgets/panel.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

namespace k740 {

void TMainForm::followCycle(const TCycleResult& cycle)
{
    if (cycle.LinkLost)
        linkLost();
    else
        showCycle(cycle);
    showLinkFigures();
    autoCaptureStep();
}

void TMainForm::showCycle(const TCycleResult& cycle)
{
    // Nothing shows the diagnostic label; it gets the reply only while shown.
    if (ui.Label5->isVisible())
        ui.Label5->setText(QString::fromLatin1(Session.positionReply()));
    if (cycle.ReadOutChanged) {
        fitPositionText(cycle.FittingText);
        showReadOut();
    }
    if (!cycle.LogError.isEmpty())
        showMessage(cycle.LogError);
    if (cycle.ReferenceMarked) {
        showRefReadOut();
        showRow();
        flashReference();
    }
    if (cycle.StatusLevel)
        ui.pColorStatus->setBackground(StatusLevelColour(*cycle.StatusLevel));
    if (cycle.StatusBitsCaption)
        ui.ExtStPanel1->setText(*cycle.StatusBitsCaption);
    if (cycle.SerialCaption)
        ui.ExtStPanel2->setText(*cycle.SerialCaption);
    if (cycle.SupplyCaption)
        ui.ExtStPanel3->setText(*cycle.SupplyCaption);
}

void TMainForm::showLinkFigures()
{
    if (!Session.connectedOnce() || !ConnectionHint.figuresDue(GetTickCount()))
        return;
    ui.StPanel2->setToolTip(LinkFiguresHint(Session.linkFigures()));
}

void TMainForm::showReadOut()
{
    ui.PosPanel->setText(Session.readOutText());
}

void TMainForm::showRefReadOut()
{
    ui.RefPanel->setText(Session.refReadOutText());
}

void TMainForm::fitPositionText(const QString& text)
{
    const bool sticky = KeepsFittedFont(Session.activeSettings());
    const int width = ui.PosPanel->width();
    if (text == LastFit.Text && width == LastFit.Width && sticky == LastFit.Sticky && FittedFontSize == LastFit.Size)
        return;
    auto widthAt = [&](int points) { return ui.PosPanel->textWidth(text, points); };
    const int size = FittedPointSize(widthAt, width, sticky, FittedFontSize);
    if (ui.PosPanel->font().pointSize() != size) {
        QFont font = ui.PosPanel->font();
        font.setPointSize(size);
        ui.PosPanel->setFont(font);
    }
    if (ui.RefPanel->font().pointSize() != size)
        ui.RefPanel->setFont(ui.PosPanel->font());
    FittedFontSize = size;
    LastFit = {text, width, sticky, size};
}

// A second mark within the flash does not prolong it.
void TMainForm::flashReference()
{
    ui.RefPanel->setBackground(colours::kFlash);
    if (!ui.TrigTimer->isActive())
        ui.TrigTimer->start();
}

void TMainForm::linkLost()
{
    showReadOut();
    showRefReadOut();
    showRow();
    ui.StPanel2->setText("K740 not detected");
    clearSummary();
    for (TPanel* field : {ui.ExtStPanel1, ui.ExtStPanel2, ui.ExtStPanel3})
        field->hide();
    placeExtendedFields();
    ScPos->setActive(false);
}

} // namespace k740

// The main window's layout passes.
#include "ui/main_form.h"

#include "ui/layout_rules.h"
#include "ui/panel.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace k740 {

namespace {
QRect workArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void setLeft(QWidget* w, int left)
{
    w->move(left, w->y());
}
void setTop(QWidget* w, int top)
{
    w->move(w->x(), top);
}
void setWidth(QWidget* w, int width)
{
    w->resize(width, w->height());
}
void setHeight(QWidget* w, int height)
{
    w->resize(w->width(), height);
}
} // namespace

void TMainForm::layoutRow()
{
    const int w = width();
    if (RefPanel->isVisibleTo(this)) {
        const ShowRow row = TwoPanelShowRow(w, bbZero->x(), bbZero->width());
        setWidth(PosPanel, row.panelWidth);
        setWidth(RefPanel, row.panelWidth);
        setLeft(PosPanel, row.posLeft);
        setLeft(PosLabel, row.posLeft);
        setLeft(RefPanel, row.refLeft);
        setLeft(RefLabel, row.refLeft);
        setLeft(bbZeroRef, row.zeroRefLeft);
    } else {
        setWidth(PosPanel, w / 2);
        setLeft(PosPanel, (w - PosPanel->width()) / 2);
        setLeft(PosLabel, PosPanel->x());
    }
}

void TMainForm::FormShow()
{
    const QRect area = workArea();
    const int frameExtra = frameGeometry().height() - height();
    if (!Options.KeepDesignSize) {
        if (!GeometryRestored)
            setGeometry(0, y(), area.width(), area.height() / 2 - frameExtra);
        setMaximumHeight(Options.LayoutEditMode ? QWIDGETSIZE_MAX : area.height() / 2 - frameExtra);
        const int minimum = RoundHalfEven(1.5 * PosLabel->height()) + PosPanel->height() + pHead->height()
            + YPanel->height() + StPanel->height() + ExtStPanel->height();
        setMinimumHeight(minimum);
        setMaximumWidth(area.width());
        setMinimumWidth(area.width() / 2);
    }
    setTop(YPanel, pHead->height());
    setTop(GPanel, pHead->height() + YPanel->height());
    const bool refShown = Identity.InterfaceKind == 0 && (!ActiveSettings.DCR || ActiveSettings.ShowRefMarks);
    RefLabel->setVisible(refShown);
    RefPanel->setVisible(refShown);
    const int clientWidth = width();
    if (refShown) {
        layoutRow();
        setTop(bbZeroRef, bbZero->y());
        setHeight(bbZeroRef, bbZero->height());
        setHeight(RefPanel, PosPanel->height());
    } else if (Options.LayoutEditMode) {
        const WindowGeometry& g = SavedPanelGeometry;
        PosPanel->setGeometry(g.PanelLeft, g.PanelTop, g.PanelWidth, g.PanelHeight);
        setLeft(PosLabel, PosPanel->x());
    } else {
        setWidth(PosPanel, clientWidth / 2);
        setLeft(PosPanel, (clientWidth - PosPanel->width()) / 2);
        setLeft(PosLabel, PosPanel->x());
    }
    setWidth(pHead, clientWidth);
    setWidth(YPanel, clientWidth);
    setWidth(GPanel, clientWidth);
    setLeft(Image1, clientWidth - Image1->width() - 4);
    setHeight(GPanel, height() - YPanel->y() - YPanel->height() - StPanel->height());
    setWidth(ExtStPanel, clientWidth);
    placeExtendedFields();
    setTop(ExtStPanel, GPanel->height() - ExtStPanel->height());
    setTop(bbZero, (GPanel->height() - bbZero->height()) / 2);
    if (!Options.LayoutEditMode)
        setTop(PosPanel, (GPanel->height() - PosPanel->height()) / 2);
    setTop(RefPanel, PosPanel->y());
    setTop(PosLabel, PosPanel->y() - PosLabel->height());
    setTop(RefLabel, PosLabel->y());
    placeHomeButton();
    setWidth(StPanel, clientWidth);
    setWidth(StPanel3, StPanel->width() - StPanel3->x());
    setTop(StPanel, height() - StPanel->height());
    if (Options.AutoCapture)
        PlaceCaptureList();
    if (ActiveSettings.ShowStatusColor)
        PlaceStatusColour();
}

void TMainForm::FormResize()
{
    setHeight(GPanel, height() - YPanel->y() - YPanel->height() - StPanel->height());
    setTop(PosLabel, CaptionTop(GPanel->height(), PosPanel->height(), PosLabel->height()));
    setTop(RefLabel, PosLabel->y());
    setTop(PosPanel, PosLabel->y() + PosLabel->height());
    setTop(RefPanel, PosPanel->y());
    setTop(bbZero, PosPanel->y() + (PosPanel->height() - bbZero->height()) / 2);
    setTop(bbZeroRef, bbZero->y());
    setWidth(pHead, width());
    setLeft(Image1, width() - Image1->width() - Image1->y());
    const int w = pHead->width();
    for (QWidget* panel : {YPanel, GPanel, StPanel, ExtStPanel})
        setWidth(panel, w);
    if (RefPanel->isVisibleTo(this)) {
        const ResizeRow row = TwoPanelResizeRow(w, bbZero->width(), RefLabel->width());
        setWidth(PosPanel, row.panelWidth);
        setWidth(RefPanel, row.panelWidth);
        setLeft(bbZero, row.zeroLeft);
        setLeft(PosPanel, row.posLeft);
        setLeft(RefPanel, row.refLeft);
        setLeft(bbZeroRef, row.zeroRefLeft);
    } else {
        setLeft(PosPanel, (w - PosPanel->width()) / 2);
        placeHomeButton();
    }
    setLeft(PosLabel, PosPanel->x());
    setLeft(RefLabel, RefPanel->x());
    if (ActiveSettings.ShowStatusColor)
        PlaceStatusColour();
    setTop(StPanel, height() - StPanel->height());
    setWidth(StPanel3, StPanel->width() - StPanel3->x());
    setTop(ExtStPanel, GPanel->height() - ExtStPanel->height());
    placeExtendedFields();
    if (Options.AutoCapture)
        PlaceCaptureList();
}

// One-panel row: a low HOME button right-aligned 4 pixels above the read-out.
void TMainForm::placeHomeButton()
{
    if (RefPanel->isVisibleTo(this) || !bbZeroRef->isVisibleTo(this))
        return;
    setHeight(bbZeroRef, 30);
    setTop(bbZeroRef, PosPanel->y() - bbZeroRef->height() - 4);
    setLeft(bbZeroRef, PosPanel->x() + PosPanel->width() - bbZeroRef->width());
}

// Visible extended status fields from the left; the banner takes the rest.
void TMainForm::placeExtendedFields()
{
    int left = 0;
    for (TPanel* field : {ExtStPanel1, ExtStPanel2, ExtStPanel3}) {
        if (!field->isVisibleTo(ExtStPanel))
            continue;
        setLeft(field, left);
        left += field->width();
    }
    AuxLogoPanel->setGeometry(left, 0, ExtStPanel->width() - left, ExtStPanel->height());
    setLeft(Image2, AuxLogoPanel->width() - Image2->width() - Image1->y());
}

void TMainForm::PlaceStatusColour()
{
    pColorStatus->setGeometry(PosPanel->x() + 8, PosPanel->y() + 8, PosPanel->width(), PosPanel->height());
    pColorStatus->stackUnder(PosPanel);
}

void TMainForm::PlaceCaptureList()
{
    DataPanel->setGeometry(
        GPanel->width() - DataPanel->width(), 0, DataPanel->width(), GPanel->height() - ExtStPanel->height());
    DataMemo->setGeometry(DataMemo->x(), 28, DataMemo->width(), DataPanel->height() - 28);
}

} // namespace k740

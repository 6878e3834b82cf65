// The main window's layout passes.
#include "ui/main_form.h"

#include "ui/layout_rules.h"
#include "ui/screen_area.h"
#include "ui/widgets/move_sizer.h"
#include "ui/widgets/panel.h"
#include "ui/window_system.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

namespace k740 {

namespace {

void SetLeft(QWidget* w, int left)
{
    w->move(left, w->y());
}
void SetTop(QWidget* w, int top)
{
    w->move(w->x(), top);
}
void SetWidth(QWidget* w, int width)
{
    w->resize(width, w->height());
}
void SetHeight(QWidget* w, int height)
{
    w->resize(w->width(), height);
}
} // namespace

// The width the row of read-outs and buttons takes: the window's, left of
// the capture list while it shows.
int TMainForm::rowWidth(int width) const
{
    return Session.options().AutoCapture ? width - ui.DataPanel->width() : width;
}

// In layout edit mode the single read-out stays where the user put it.
bool TMainForm::panelPlacedByUser() const
{
    return Session.options().LayoutEditMode && !ui.RefPanel->isVisibleTo(this);
}

void TMainForm::layoutRow()
{
    const int w = width();
    if (ui.RefPanel->isVisibleTo(this)) {
        const TShowRow row = TwoPanelShowRow(rowWidth(w), ui.bbZero->x(), ui.bbZero->width());
        SetWidth(ui.PosPanel, row.PanelWidth);
        SetWidth(ui.RefPanel, row.PanelWidth);
        SetLeft(ui.PosPanel, row.PosLeft);
        SetLeft(ui.PosLabel, row.PosLeft);
        SetLeft(ui.RefPanel, row.RefLeft);
        SetLeft(ui.RefLabel, row.RefLeft);
        SetLeft(ui.bbZeroRef, row.ZeroRefLeft);
    } else {
        SetWidth(ui.PosPanel, w / 2);
        SetLeft(ui.PosPanel, (w - ui.PosPanel->width()) / 2);
        SetLeft(ui.PosLabel, ui.PosPanel->x());
    }
}

// The window is placed inside the usable area of its screen: half its
// height, or its designed bounds with "/S", as far as they fit.
void TMainForm::FormShow()
{
    const TBounds area = BoundsOf(usableArea());
    if (!Session.options().KeepDesignSize) {
        const TSizeLimits limits = applyScreenLimits();
        if (!GeometryRestored) {
            const TBounds half{area.Left, outerNormalBounds().y(), area.Width, area.Height / 2};
            setOuterBounds(RectOf(FitInside(WithinLimits(half, limits), area)));
        }
    } else if (!GeometryRestored) {
        setOuterBounds(FittedOnScreen(outerNormalBounds(), this));
    }
    SetTop(ui.YPanel, ui.pHead->height());
    SetTop(ui.GPanel, ui.pHead->height() + ui.YPanel->height());
    const bool refShown = Session.row().RefReadOutVisible;
    ui.RefLabel->setVisible(refShown);
    ui.RefPanel->setVisible(refShown);
    const int clientWidth = width();
    if (!refShown && Session.options().LayoutEditMode) {
        const TWindowGeometry& g = SavedPanelGeometry;
        ui.PosPanel->setGeometry(g.PanelLeft, g.PanelTop, g.PanelWidth, g.PanelHeight);
        SetLeft(ui.PosLabel, ui.PosPanel->x());
    } else {
        layoutRow();
        if (refShown) {
            SetTop(ui.bbZeroRef, ui.bbZero->y());
            SetHeight(ui.bbZeroRef, ui.bbZero->height());
            SetHeight(ui.RefPanel, ui.PosPanel->height());
        }
    }
    SetWidth(ui.pHead, clientWidth);
    SetWidth(ui.YPanel, clientWidth);
    SetWidth(ui.GPanel, clientWidth);
    SetLeft(ui.Image1, clientWidth - ui.Image1->width() - 4);
    SetHeight(ui.GPanel, height() - ui.YPanel->y() - ui.YPanel->height() - ui.StPanel->height());
    if (!refShown && Session.options().LayoutEditMode) {
        const TWindowGeometry& g = SavedPanelGeometry;
        keepPanelReachable({g.PanelLeft, g.PanelTop, g.PanelWidth, g.PanelHeight});
    }
    SetWidth(ui.ExtStPanel, clientWidth);
    placeExtendedFields();
    SetTop(ui.ExtStPanel, ui.GPanel->height() - ui.ExtStPanel->height());
    SetTop(ui.bbZero, (ui.GPanel->height() - ui.bbZero->height()) / 2);
    if (!Session.options().LayoutEditMode)
        SetTop(ui.PosPanel, (ui.GPanel->height() - ui.PosPanel->height()) / 2);
    SetTop(ui.RefPanel, ui.PosPanel->y());
    SetTop(ui.PosLabel, ui.PosPanel->y() - ui.PosLabel->height());
    SetTop(ui.RefLabel, ui.PosLabel->y());
    if (ui.RefPanel->isVisibleTo(this) && ui.bbZeroRef->isVisibleTo(this))
        SetTop(ui.bbZeroRef, ui.bbZero->y());
    else
        placeHomeButton(kHomeButtonHeight);
    SetWidth(ui.StPanel, clientWidth);
    SetWidth(ui.StPanel3, ui.StPanel->width() - ui.StPanel3->x());
    SetTop(ui.StPanel, height() - ui.StPanel->height());
    if (Session.options().AutoCapture)
        PlaceCaptureList();
    ScPos->PlaceHandles();
    if (Session.activeSettings().ShowStatusColor)
        PlaceStatusColour();
}

void TMainForm::FormResize()
{
    SetHeight(ui.GPanel, height() - ui.YPanel->y() - ui.YPanel->height() - ui.StPanel->height());
    SetWidth(ui.pHead, width());
    SetLeft(ui.Image1, width() - ui.Image1->width() - ui.Image1->y());
    const int w = ui.pHead->width();
    for (QWidget* panel : {ui.YPanel, ui.GPanel, ui.StPanel, ui.ExtStPanel})
        SetWidth(panel, w);
    // A read-out the user placed keeps its place; the body only brings it
    // back into reach. Otherwise it is centred, its caption above it.
    const bool placedByUser = panelPlacedByUser();
    if (placedByUser) {
        keepPanelReachable(placedPanel());
        SetTop(ui.PosLabel, ui.PosPanel->y() - ui.PosLabel->height());
    } else {
        SetTop(ui.PosLabel, CaptionTop(ui.GPanel->height(), ui.PosPanel->height(), ui.PosLabel->height()));
        SetTop(ui.PosPanel, ui.PosLabel->y() + ui.PosLabel->height());
    }
    SetTop(ui.RefLabel, ui.PosLabel->y());
    SetTop(ui.RefPanel, ui.PosPanel->y());
    SetTop(ui.bbZero, ui.PosPanel->y() + (ui.PosPanel->height() - ui.bbZero->height()) / 2);
    SetTop(ui.bbZeroRef, ui.bbZero->y());
    if (ui.RefPanel->isVisibleTo(this)) {
        const TResizeRow row = TwoPanelResizeRow(rowWidth(w), ui.bbZero->width(), ui.RefLabel->width());
        SetWidth(ui.PosPanel, row.PanelWidth);
        SetWidth(ui.RefPanel, row.PanelWidth);
        SetLeft(ui.bbZero, row.ZeroLeft);
        SetLeft(ui.PosPanel, row.PosLeft);
        SetLeft(ui.RefPanel, row.RefLeft);
        SetLeft(ui.bbZeroRef, row.ZeroRefLeft);
    } else {
        if (!placedByUser)
            SetLeft(ui.PosPanel, (w - ui.PosPanel->width()) / 2);
        placeHomeButton(ui.bbZeroRef->height());
        ScPos->PlaceHandles();
    }
    SetLeft(ui.PosLabel, ui.PosPanel->x());
    SetLeft(ui.RefLabel, ui.RefPanel->x());
    if (Session.activeSettings().ShowStatusColor)
        PlaceStatusColour();
    SetTop(ui.StPanel, height() - ui.StPanel->height());
    SetWidth(ui.StPanel3, ui.StPanel->width() - ui.StPanel3->x());
    SetTop(ui.ExtStPanel, ui.GPanel->height() - ui.ExtStPanel->height());
    placeExtendedFields();
    if (Session.options().AutoCapture)
        PlaceCaptureList();
}

// The read-out takes the bounds the user gave it unless no part of it would
// lie inside the body; then it is brought back just far enough to be
// reached, and those bounds stay what it is saved with until it is moved.
void TMainForm::keepPanelReachable(const TPanelBounds& placed)
{
    const TPanelBounds reached = ReachablePanel(placed, ui.GPanel->width(), ui.GPanel->height());
    ui.PosPanel->setGeometry(reached.Left, reached.Top, reached.Width, reached.Height);
    PanelBroughtBack.reset();
    if (!(reached == placed))
        PanelBroughtBack = TBroughtBack{placed, ui.PosPanel->geometry()};
}

// The read-out's bounds as the user left them: while a read-out brought back
// into reach stays there, the bounds it was brought back from.
TPanelBounds TMainForm::placedPanel() const
{
    if (PanelBroughtBack && ui.PosPanel->geometry() == PanelBroughtBack->Shown)
        return PanelBroughtBack->Saved;
    return {ui.PosPanel->x(), ui.PosPanel->y(), ui.PosPanel->width(), ui.PosPanel->height()};
}

// One-panel row: HOME right-aligned 4 pixels above the read-out.
void TMainForm::placeHomeButton(int height)
{
    if (ui.RefPanel->isVisibleTo(this) || !ui.bbZeroRef->isVisibleTo(this))
        return;
    SetHeight(ui.bbZeroRef, height);
    SetTop(ui.bbZeroRef, ui.PosPanel->y() - ui.bbZeroRef->height() - 4);
    SetLeft(ui.bbZeroRef, ui.PosPanel->x() + ui.PosPanel->width() - ui.bbZeroRef->width());
}

// Visible extended status fields from the left; the banner takes the rest.
void TMainForm::placeExtendedFields()
{
    int left = 0;
    for (TPanel* field : {ui.ExtStPanel1, ui.ExtStPanel2, ui.ExtStPanel3}) {
        if (!field->isVisibleTo(ui.ExtStPanel))
            continue;
        SetLeft(field, left);
        left += field->width();
    }
    ui.AuxLogoPanel->setGeometry(left, 0, ui.ExtStPanel->width() - left, ui.ExtStPanel->height());
    SetLeft(ui.Image2, ui.AuxLogoPanel->width() - ui.Image2->width() - ui.Image1->y());
}

void TMainForm::PlaceStatusColour()
{
    ui.pColorStatus->setGeometry(
        ui.PosPanel->x() + 8, ui.PosPanel->y() + 8, ui.PosPanel->width(), ui.PosPanel->height());
    ui.pColorStatus->stackUnder(ui.PosPanel);
}

void TMainForm::PlaceCaptureList()
{
    ui.DataPanel->setGeometry(ui.GPanel->width() - ui.DataPanel->width(), 0, ui.DataPanel->width(),
        ui.GPanel->height() - ui.ExtStPanel->height());
    ui.DataMemo->setGeometry(ui.DataMemo->x(), 28, ui.DataMemo->width(), ui.DataPanel->height() - 28);
}

// The usable area of the screen the window is on, or is placed on.
QRect TMainForm::usableArea() const
{
    return UsableArea(outerNormalBounds(), this);
}

// Limits on the usable area; the designed minimum height keeps the body
// from collapsing where the screen has room for it.
TSizeLimits TMainForm::applyScreenLimits()
{
    const QRect area = usableArea();
    const int minimumHeight = RoundHalfEven(1.5 * ui.PosLabel->height()) + ui.PosPanel->height() + ui.pHead->height()
        + ui.YPanel->height() + frameExtra().height() + ui.StPanel->height() + ui.ExtStPanel->height();
    const TSizeLimits limits
        = MainWindowLimits(area.width(), area.height(), minimumHeight, Session.options().LayoutEditMode);
    setOuterLimits({limits.MinWidth, limits.MinHeight}, {limits.MaxWidth, limits.MaxHeight});
    return limits;
}

// Moved to another screen, the window takes that screen's limits.
void TMainForm::followScreen()
{
    if (!Session.options().KeepDesignSize)
        applyScreenLimits();
}

// The frame as the window manager first drew it, around a window in its
// normal state; before that, none.
QSize TMainForm::frameExtra() const
{
    return {FrameMargins.left() + FrameMargins.right(), FrameMargins.top() + FrameMargins.bottom()};
}

QRect TMainForm::outerNormalBounds() const
{
    QRect outer = windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)
        ? normalGeometry().marginsAdded(FrameMargins)
        : frameGeometry();
    if (!WindowPositionsKnown())
        outer.moveTopLeft(RequestedPosition);
    return outer;
}

void TMainForm::setOuterBounds(const QRect& outer)
{
    RequestedPosition = outer.topLeft();
    move(outer.topLeft());
    resize(outer.size() - frameExtra());
}

// A maximum of QWIDGETSIZE_MAX is no limit.
void TMainForm::setOuterLimits(const QSize& minimum, const QSize& maximum)
{
    OuterMinimum = minimum;
    OuterMaximum = maximum;
    applyOuterLimits();
}

void TMainForm::applyOuterLimits()
{
    const QSize extra = frameExtra();
    auto client = [](int outer, int frame) { return outer == QWIDGETSIZE_MAX ? outer : std::max(0, outer - frame); };
    setMinimumSize(client(OuterMinimum.width(), extra.width()), client(OuterMinimum.height(), extra.height()));
    setMaximumSize(client(OuterMaximum.width(), extra.width()), client(OuterMaximum.height(), extra.height()));
}

// The window manager framed the window: it keeps the outer size and limits
// it was given, and the first show's layout is finished with the frame
// known. The frame is taken once: a maximised or full-screen window loses
// its borders for a while, which changes neither its limits nor its size.
void TMainForm::followFrameMargins()
{
    if (Framed)
        return;
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
        frame.bottom() - client.bottom());
    if (margins.isNull())
        return;
    Framed = true;
    const QSize outer = size();
    FrameMargins = margins;
    applyOuterLimits();
    resize(outer - frameExtra());
    if (FirstShowDone)
        FormShow();
}

// Values other than the logo modes change nothing.
void TMainForm::SetLogoMode(int mode)
{
    if (IsKnownLogoMode(mode)) {
        const TLogoMode logos = TLogoMode(mode);
        const bool top = logos == TLogoMode::Both || logos == TLogoMode::TopOnly;
        ui.Image1->setVisible(top);
        ui.Image2->setVisible(logos == TLogoMode::Both || logos == TLogoMode::BottomOnly);
        ui.pHead->resize(ui.pHead->width(), top ? kHeadHeight : 0);
    }
    if (Session.options().AutoCapture)
        PlaceCaptureList();
}

} // namespace k740

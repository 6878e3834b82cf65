#include "ui/trend_form.h"

#include "acquisition/interface_session.h"
#include "acquisition/trend_export.h"
#include "ui/key_chord.h"
#include "ui/screen_area.h"
#include "ui/trend_plot.h"
#include "ui/window_system.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSaveFile>
#include <QScreen>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace k740 {

namespace {

constexpr int kDesignWidth = 800;
constexpr int kDesignHeight = 480;

struct TSpanChoice {
    const char* Caption;
    int64_t SpanUs;
};
constexpr TSpanChoice kSpans[] = {{"10 s", 10'000'000}, {"60 s", 60'000'000}, {"10 min", 600'000'000}};
constexpr int kDefaultSpan = 1;
// How long after it opened the trend keeps beside the main window as that
// moves: long enough for a window manager to frame both.
constexpr qint64 kFollowMs = 2000;

QToolButton* ToolButton(const QString& caption, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(caption);
    button->setCheckable(true);
    button->setFocusPolicy(Qt::NoFocus); // Space pauses, never presses a button
    return button;
}

} // namespace

TTrendForm::TTrendForm(const TTrendBuffer& buffer, const TInterfaceSession& session, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window)
    , Buffer(buffer)
    , Session(session)
    , MainWindow(mainWindow)
    , Plot(new TTrendPlot(buffer, this))
    , Spans(new QButtonGroup(this))
{
    setWindowTitle("K740 Position Trend");
    setObjectName("TrendForm");
    auto* bar = new QHBoxLayout;
    for (const TSpanChoice& span : kSpans) {
        QToolButton* button = ToolButton(span.Caption, this);
        Spans->addButton(button);
        bar->addWidget(button);
    }
    Spans->buttons().at(kDefaultSpan)->setChecked(true);
    bar->addSpacing(12);
    PauseButton = ToolButton("Pause", this);
    PauseButton->setToolTip("Space");
    bar->addWidget(PauseButton);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(bar);
    layout->addWidget(Plot, 1);
    Plot->setSpan(kSpans[kDefaultSpan].SpanUs);
    Plot->setFocus();

    connect(Spans, &QButtonGroup::buttonClicked, this, &TTrendForm::chooseSpan);
    connect(PauseButton, &QAbstractButton::clicked, this, &TTrendForm::togglePause);
    connect(new QShortcut(Qt::Key_Space, this), &QShortcut::activated, this, &TTrendForm::togglePause);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, &TTrendForm::exportWithDialog);
    connect(new QShortcut(QKeySequence::Copy, this), &QShortcut::activated, this, &TTrendForm::copyPicture);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, &QWidget::close);
    connect(&RefreshTimer, &QTimer::timeout, this, &TTrendForm::refresh);
    resize(kDesignWidth, kDesignHeight);
}

void TTrendForm::open()
{
    if (isVisible())
        return;
    placeBesideMainWindow();
    Placed.start();
    show();
    raise();
}

// At a start with "/T" the window manager frames and moves the main window
// after the trend was placed, and Qt learns where only from its events.
void TTrendForm::followMainWindow()
{
    if (isVisible() && Placed.isValid() && !Placed.hasExpired(kFollowMs))
        placeBesideMainWindow();
}

// Where the compositor places the windows (Wayland), the trend keeps its
// designed size within the screen.
void TTrendForm::placeBesideMainWindow()
{
    const QRect main = MainWindow->frameGeometry();
    const QSize extra = FrameExtra(this, MainWindow);
    const QRect area = UsableArea(main, MainWindow);
    const QSize wanted = QSize(kDesignWidth, kDesignHeight) + extra;
    if (!WindowPositionsKnown()) {
        resize(wanted.boundedTo(area.size()) - extra);
        return;
    }
    const QSize least = minimumSizeHint() + extra;
    const QRect placed = RectOf(BesideWindow(
        BoundsOf(main), {wanted.width(), wanted.height()}, {least.width(), least.height()}, BoundsOf(area)));
    resize(placed.size() - extra);
    // Qt moves a shown window by its client area when it has not yet seen
    // its frame: the main window's frame stands in for the one to come.
    QPoint at = placed.topLeft();
    if (testAttribute(Qt::WA_WState_Created) && frameGeometry().topLeft() == geometry().topLeft())
        at += MainWindow->geometry().topLeft() - MainWindow->frameGeometry().topLeft();
    move(at);
}

void TTrendForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

// The chord that opened it closes it too: it may cover the main window.
void TTrendForm::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_T && !event->isAutoRepeat() && IsCtrlShiftChord(event->modifiers()))
        close();
    else
        QWidget::keyReleaseEvent(event);
}

void TTrendForm::hideEvent(QHideEvent* event)
{
    RefreshTimer.stop();
    QWidget::hideEvent(event);
}

// The picture changes by at most a column per column's time, and the
// screen shows no more than its refresh rate.
int TTrendForm::refreshIntervalMs() const
{
    const double hz = screen() ? screen()->refreshRate() : 60.0;
    const double frameMs = 1000.0 / std::max(1.0, hz);
    const double columnMs = double(Plot->spanUs()) / 1000.0 / double(std::max(1, Plot->plotWidth()));
    return int(std::ceil(std::max(frameMs, columnMs)));
}

void TTrendForm::refresh()
{
    const TTrendUnits units = TrendUnitsOf(Session.activeSettings());
    Plot->setUnits(units.Position, units.Speed);
    Plot->update();
    if (isVisible() && !Plot->paused())
        RefreshTimer.start(refreshIntervalMs());
    else
        RefreshTimer.stop();
}

void TTrendForm::chooseSpan(QAbstractButton* button)
{
    Plot->setSpan(kSpans[Spans->buttons().indexOf(button)].SpanUs);
    refresh();
}

void TTrendForm::togglePause()
{
    const bool paused = !Plot->paused();
    Plot->setPaused(paused);
    PauseButton->setChecked(paused);
    if (!paused) // back to the span chosen, whatever the wheel made of it
        chooseSpan(Spans->checkedButton());
    refresh();
}

void TTrendForm::exportWithDialog()
{
    QString filter;
    const QString fileName = QFileDialog::getSaveFileName(
        this, "Export Trend", "k740-trend.csv", "CSV (*.csv);;PNG picture (*.png)", &filter);
    if (fileName.isEmpty())
        return;
    const bool png = filter.startsWith("PNG");
    const QString suffix = png ? ".png" : ".csv";
    exportShown(QFileInfo(fileName).suffix().isEmpty() ? fileName + suffix : fileName);
}

bool TTrendForm::exportShown(const QString& fileName)
{
    QString error;
    if (fileName.endsWith(".png", Qt::CaseInsensitive)) {
        if (!Plot->grab().save(fileName, "PNG"))
            error = "the picture could not be written";
    } else {
        QSaveFile file(fileName);
        if (!file.open(QIODevice::WriteOnly) || file.write(TrendCsv(Buffer, Plot->fromUs(), Plot->endUs())) < 0
            || !file.commit())
            error = file.errorString();
    }
    if (error.isEmpty())
        return true;
    QMessageBox::warning(this, windowTitle(), QStringLiteral("Cannot write %1: %2").arg(fileName, error));
    return false;
}

void TTrendForm::copyPicture()
{
    QApplication::clipboard()->setPixmap(Plot->grab());
}

} // namespace k740

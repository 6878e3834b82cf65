#include "ui/main_form.h"

#include "link/version.h"
#include "ui/colours.h"
#include "ui/com_port_form.h"
#include "ui/trend_form.h"
#include "ui/widgets/move_sizer.h"
#include "ui/widgets/panel.h"
#include "ui/widgets/refused_states.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QWindow>
#include <cstdio>

namespace k740 {

TMainForm::TMainForm(TInterfaceSession& session, TPollLoop& loop)
    : Session(session)
    , Loop(loop)
{
    ui.setupUi(this);
    RequestedPosition = pos();
    ScPos = new TMoveSizer(this);
    connectHandlers();
    FormCreate();
    // Keyboard preview: every key of the application passes the window first.
    QCoreApplication::instance()->installEventFilter(this);
}

// A window closed before its first search gives the wait cursor back.
TMainForm::~TMainForm()
{
    if (!CursorRestored)
        QApplication::restoreOverrideCursor();
    ScPos->setActive(false);
    Loop.setPortChooser({});
    Loop.setLayoutSource({});
}

void TMainForm::setDialogs(TComPortForm* comPortForm, TSettingsForm* settingsForm)
{
    ComPortForm = comPortForm;
    SettingsForm = settingsForm;
}

// A double click runs its command after the pointer event has returned: a
// modal dialog opened inside the event would take the button's release, and
// the panel would never see its press end.
void TMainForm::connectHandlers()
{
    connect(ui.PosPanel, &TReadOut::clicked, this, &TMainForm::PosPanelClick);
    connect(ui.bbZero, &QPushButton::clicked, this, &TMainForm::bbZeroClick);
    connect(ui.bbZeroRef, &QPushButton::clicked, this, &TMainForm::bbZeroRefClick);
    connect(ui.ExtStPanel2, &TPanel::doubleClicked, this, &TMainForm::ExtStPanel2DblClick, Qt::QueuedConnection);
    connect(ui.ExtStPanel3, &TPanel::doubleClicked, this, &TMainForm::ExtStPanel3DblClick, Qt::QueuedConnection);
    connect(ui.StPanel3, &TPanel::doubleClicked, this, &TMainForm::StPanel3DblClick, Qt::QueuedConnection);
    connect(ui.Image1, &TPanel::doubleClicked, this, &TMainForm::Image1DblClick, Qt::QueuedConnection);
    connect(ui.BlinkTrigger, &QTimer::timeout, this, &TMainForm::BlinkTriggerTimer);
    connect(ui.TrigTimer, &QTimer::timeout, this, &TMainForm::TrigTimerTimer);
    connect(&Session, &TInterfaceSession::openFailed, this, &TMainForm::showOpenFailure);
    connect(&Loop, &TPollLoop::searchStarting, this, &TMainForm::showSearchStart);
    connect(&Loop, &TPollLoop::searchEnded, this, &TMainForm::showSearchResult);
    connect(&Loop, &TPollLoop::cycleRun, this, &TMainForm::followCycle);
    Loop.setPortChooser(
        [this](const QStringList& answering) { return ComPortForm ? ComPortForm->choose(answering) : QString(); });
    Loop.setLayoutSource([this] { return liveGeometry(); });
    connectCaptureList();
}

// The run's options come from the command line (read by the session).
void TMainForm::FormCreate()
{
    RecordingOptionsVisible = true;
    GeometryRestored = false;
    // A title bar with the system menu, minimise and close, but no maximise;
    // a window manager that maximises it all the same is answered with a
    // restore.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    RefuseWindowStates(this, Qt::WindowMaximized);
    ui.DataPanel->setVisible(Session.options().AutoCapture);

    // Hints: orange, shown for 10 s.
    QPalette hints = QToolTip::palette();
    hints.setColor(QPalette::ToolTipBase, colours::kOrange);
    hints.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(hints);
    for (QWidget* hinted :
        std::initializer_list<QWidget*>{ui.Image1, ui.StPanel1, ui.StPanel2, ui.StPanel3, ui.ExtStPanel3, ui.DataMemo})
        hinted->setToolTipDuration(10000);

    const QString version = ProgramVersion();
    if (!version.isEmpty())
        ui.StPanel1->setToolTip("Version " + version);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ui.PosPanel->clear();
    ui.RefPanel->clear();
    ui.StPanel1->setText(" Ver. " + version);
    ui.StPanel2->setText("K740 not detected");
    SetLogoMode(Session.options().LogoMode);
    FittedFontSize = kDesignFontPoints;
    if (Session.options().LayoutEditMode)
        ScPos->AttachControl(ui.PosPanel);
}

bool TMainForm::FormDestroy()
{
    if (Destroyed)
        return true;
    Destroyed = true;
    ScPos->setActive(false);
    Loop.stop();
    const bool saved = !Session.shouldSaveAtExit() || saveSettings();
    Session.closePort();
    return saved;
}

void TMainForm::closeOnSignal()
{
    ClosingOnSignal = true;
    close();
    QCoreApplication::exit(0);
}

void TMainForm::showMessage(const QString& text, QMessageBox::Icon icon, QString title)
{
    if (ClosingOnSignal) {
        std::fprintf(stderr, "k740: %s\n", qPrintable(text.trimmed()));
        return;
    }
    const TPollingPause pause(Session);
    QMessageBox box(icon, title.isEmpty() ? windowTitle() : title, text, QMessageBox::Ok, this);
    box.exec();
}

// Only the first show lays the window out: restoring it from minimised
// shows it again, and must not undo what the user resized. The layout comes
// before the window system shows the window, so that the window manager
// places its frame at the bounds the layout gives.
void TMainForm::setVisible(bool visible)
{
    const bool first = visible && !FirstShowDone;
    if (first) {
        FirstShowDone = true;
        FormShow();
    }
    QWidget::setVisible(visible);
    if (first && windowHandle())
        connect(windowHandle(), &QWindow::screenChanged, this, &TMainForm::followScreen);
    if (first && Session.options().ShowTrend)
        showTrend(true);
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
    followFrameMargins();
    if (TrendForm)
        TrendForm->followMainWindow();
}

// The window manager's frame arrives with a move of the client area.
void TMainForm::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    followFrameMargins();
    if (TrendForm)
        TrendForm->followMainWindow();
}

void TMainForm::Image1DblClick()
{
    QDesktopServices::openUrl(QUrl(kProductPage));
}

} // namespace k740

#include "ui/main_form.h"

#include "platform/version.h"
#include "ui/colours.h"
#include "ui/widgets/panel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>

namespace k740 {

TMainForm::TMainForm(IPortProvider& ports, const QStringList& arguments, const QString& programDir)
    : Session(ports, programDir, ParseCommandLine(arguments))
{
    ui.setupUi(this);
    connectHandlers();
    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::setDialogs(TComPortForm* comPortForm, TSettingsForm* settingsForm)
{
    ComPortForm = comPortForm;
    SettingsForm = settingsForm;
}

void TMainForm::connectHandlers()
{
    connect(ui.PosPanel, &TReadOut::clicked, this, &TMainForm::PosPanelClick);
    connect(ui.bbZero, &QPushButton::clicked, this, &TMainForm::bbZeroClick);
    connect(ui.bbZeroRef, &QPushButton::clicked, this, &TMainForm::bbZeroRefClick);
    connect(ui.ExtStPanel2, &TPanel::doubleClicked, this, &TMainForm::ExtStPanel2DblClick);
    connect(ui.ExtStPanel3, &TPanel::doubleClicked, this, &TMainForm::ExtStPanel3DblClick);
    connect(ui.initTimer, &QTimer::timeout, this, &TMainForm::initTimerTimer);
    connect(ui.LoopTimer, &QTimer::timeout, this, &TMainForm::LoopTimerTimer);
    connect(ui.BlinkTrigger, &QTimer::timeout, this, &TMainForm::BlinkTriggerTimer);
    connect(ui.TrigTimer, &QTimer::timeout, this, &TMainForm::TrigTimerTimer);
    connect(&Session, &TInterfaceSession::openFailed, this,
        [this](int errorCode) { ui.StPanel2->setText("Last Error: " + QString::number(errorCode)); });
}

// The run's options come from the command line (read by the session).
void TMainForm::FormCreate()
{
    RecordingOptionsVisible = true;
    GeometryRestored = false;
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ui.DataPanel->setVisible(Session.options().AutoCapture);

    // Hints: orange, shown for 10 s.
    QPalette hints = QToolTip::palette();
    hints.setColor(QPalette::ToolTipBase, Colours::Orange);
    QToolTip::setPalette(hints);
    for (QWidget* hinted : std::initializer_list<QWidget*>{ui.StPanel1, ui.StPanel3, ui.ExtStPanel3, ui.DataMemo})
        hinted->setToolTipDuration(10000);

    const QString version = ProgramVersion();
    if (!version.isEmpty())
        ui.StPanel1->setToolTip("Version " + version);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ui.PosPanel->clear();
    ui.RefPanel->clear();
    ui.initTimer->start();
    ui.StPanel1->setText(" Ver. " + version);
    ui.StPanel2->setText("K740 not detected");
    SetLogoMode(Session.options().LogoMode);
    FittedFontSize = 72;
}

void TMainForm::FormDestroy()
{
    if (Destroyed)
        return;
    Destroyed = true;
    ui.initTimer->stop();
    ui.LoopTimer->stop();
    if (Session.shouldSaveAtExit())
        saveSettings();
    Session.closePort();
}

void TMainForm::showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, windowTitle(), text, QMessageBox::Ok, this);
    box.exec();
}

void TMainForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Only the first show lays the window out: restoring it from minimised
    // shows it again, and must not undo what the user resized.
    if (FirstShowDone)
        return;
    FirstShowDone = true;
    FormShow();
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TMainForm::keyPressEvent(QKeyEvent* event)
{
    if (!event->text().isEmpty())
        FormKeyPress(event->text().at(0));
    QWidget::keyPressEvent(event);
}

} // namespace k740

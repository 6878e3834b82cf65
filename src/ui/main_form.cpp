#include "ui/main_form.h"

#include "platform/version.h"
#include "ui/colours.h"
#include "ui/com_port_form.h"
#include "ui/jpeg_image.h"
#include "ui/panel.h"
#include "ui/settings_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolTip>

// The pictures are compiled into the ui library; a static library has to
// register its resources itself.
// (Outside the namespace: the registration function is global.)
static void registerPictures()
{
    Q_INIT_RESOURCE(k740);
}

namespace k740 {

namespace {

QFont arialPixels(int pixels, bool bold = false)
{
    QFont font("Arial");
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QWidget* plainPanel(QWidget* parent, const QColor& colour)
{
    auto* panel = new QWidget(parent);
    panel->setAutoFillBackground(true);
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, colour);
    panel->setPalette(p);
    return panel;
}
} // namespace

TMainForm::TMainForm(IPortProvider& ports, const QStringList& arguments, const QString& programDir)
    : ports_(ports)
    , ProgramDir(programDir)
{
    createControls();
    FormCreate(arguments);
}

TMainForm::~TMainForm() = default;

void TMainForm::setDialogs(TComPortForm* comPortForm, TSettingsForm* settingsForm)
{
    ComPortForm = comPortForm;
    SettingsForm = settingsForm;
}

void TMainForm::createControls()
{
    registerPictures();
    setWindowTitle("K740 USB Encoder Interface");
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setFont(QFont("Liberation Sans", 8));
    setGeometry(194, 170, 1036, 512);

    pHead = plainPanel(this, Qt::white);
    pHead->setGeometry(4, 0, 973, 72);
    Image1 = new QLabel(pHead);
    Image1->setPixmap(QPixmap::fromImage(LoadJpeg(":/logo.jpg")));
    Image1->setGeometry(708, 4, 253, 63);
    Image1->setCursor(Qt::PointingHandCursor);

    YPanel = plainPanel(this, Colours::Orange);
    YPanel->setGeometry(0, 72, 965, 20);

    GPanel = plainPanel(this, Qt::white);
    GPanel->setGeometry(0, 104, 997, 297);

    PosLabel = new QLabel("POSITION", GPanel);
    PosLabel->setFont(arialPixels(30));
    PosLabel->setGeometry(150, 48, 141, 35);
    RefLabel = new QLabel("REFERENCE MARK", GPanel);
    RefLabel->setFont(arialPixels(30));
    RefLabel->setGeometry(574, 48, 280, 35);
    RefLabel->hide();

    pColorStatus = new TPanel(GPanel);
    pColorStatus->setGeometry(140, 68, 389, 141);
    pColorStatus->hide();

    PosPanel = new TPanel(GPanel, true);
    PosPanel->setFont(arialPixels(96));
    PosPanel->setFontColour(Colours::Green);
    PosPanel->setBackground(palette().color(QPalette::Button));
    PosPanel->setAlignment(Qt::AlignCenter);
    PosPanel->setTextFormat(Qt::PlainText);
    PosPanel->setGeometry(148, 92, 400, 104);
    connect(PosPanel, &TPanel::clicked, this, &TMainForm::PosPanelClick);

    RefPanel = new TPanel(GPanel, true);
    RefPanel->setFont(arialPixels(96));
    RefPanel->setFontColour(Colours::Navy);
    RefPanel->setBackground(QApplication::palette().color(QPalette::Button));
    RefPanel->setAlignment(Qt::AlignCenter);
    RefPanel->setTextFormat(Qt::PlainText);
    RefPanel->setGeometry(576, 92, 400, 104);
    RefPanel->hide();

    bbZero = new QPushButton("ZERO", GPanel);
    bbZero->setFont(arialPixels(23, true));
    bbZero->setGeometry(24, 108, 80, 69);
    bbZero->setEnabled(false);
    connect(bbZero, &QPushButton::clicked, this, &TMainForm::bbZeroClick);
    bbZeroRef = new QPushButton("HOME", GPanel);
    bbZeroRef->setFont(arialPixels(23, true));
    bbZeroRef->setGeometry(364, 4, 80, 69);
    bbZeroRef->hide();
    connect(bbZeroRef, &QPushButton::clicked, this, &TMainForm::bbZeroRefClick);

    ExtStPanel = new QWidget(GPanel);
    ExtStPanel->setGeometry(0, 247, 941, 21);
    ExtStPanel1 = new TPanel(ExtStPanel, true);
    ExtStPanel1->setGeometry(0, 0, 120, 21);
    ExtStPanel2 = new TPanel(ExtStPanel, true);
    ExtStPanel2->setGeometry(120, 0, 250, 21);
    ExtStPanel3 = new TPanel(ExtStPanel, true);
    ExtStPanel3->setGeometry(370, 0, 140, 21);
    ExtStPanel3->setToolTip("Double click to Turn On / Off");
    for (TPanel* field : {ExtStPanel1, ExtStPanel2, ExtStPanel3})
        field->hide();
    connect(ExtStPanel2, &TPanel::doubleClicked, this, &TMainForm::ExtStPanel2DblClick);
    connect(ExtStPanel3, &TPanel::doubleClicked, this, &TMainForm::ExtStPanel3DblClick);
    AuxLogoPanel = new TPanel(ExtStPanel, true);
    AuxLogoPanel->setGeometry(0, 0, 353, 21);
    Image2 = new QLabel(AuxLogoPanel);
    Image2->setPixmap(QPixmap(":/banner.bmp"));
    Image2->setGeometry(-136, 0, 321, 23);

    DataPanel = new QWidget(GPanel);
    DataPanel->setGeometry(780, 0, 185, 221);
    DataPanel->hide();
    cbAutoCapture = new QCheckBox("Capture every", DataPanel);
    cbAutoCapture->setGeometry(0, 6, 105, 17);
    udCaptureInterval = new QSpinBox(DataPanel);
    udCaptureInterval->setRange(100, 10000);
    udCaptureInterval->setSingleStep(100);
    udCaptureInterval->setValue(1000);
    udCaptureInterval->setGeometry(98, 4, 63, 23);
    Label6 = new QLabel("ms", DataPanel);
    Label6->setGeometry(164, 6, 16, 15);
    DataMemo = new QPlainTextEdit(DataPanel);
    DataMemo->setGeometry(1, 28, 183, 192);
    DataMemo->setToolTip("Press F2 to capture");

    StPanel = new QWidget(this);
    StPanel->setGeometry(0, 427, 909, 21);
    StPanel1 = new TPanel(StPanel, true);
    StPanel1->setGeometry(0, 0, 120, 21);
    StPanel2 = new TPanel(StPanel, true);
    StPanel2->setGeometry(120, 0, 250, 21);
    StPanel3 = new TPanel(StPanel, true);
    StPanel3->setGeometry(370, 0, 448, 21);
    QFont summaryFont("Arial");
    summaryFont.setPixelSize(11);
    StPanel3->setFont(summaryFont);

    Label5 = new QLabel(this);
    Label5->setTextFormat(Qt::PlainText);
    Label5->hide();

    initTimer = new QTimer(this);
    initTimer->setInterval(200);
    connect(initTimer, &QTimer::timeout, this, &TMainForm::initTimerTimer);
    LoopTimer = new QTimer(this);
    LoopTimer->setInterval(10);
    LoopTimer->setTimerType(Qt::PreciseTimer);
    connect(LoopTimer, &QTimer::timeout, this, &TMainForm::LoopTimerTimer);
    BlinkTrigger = new QTimer(this);
    BlinkTrigger->setInterval(500);
    connect(BlinkTrigger, &QTimer::timeout, this, &TMainForm::BlinkTriggerTimer);
    TrigTimer = new QTimer(this);
    TrigTimer->setInterval(200);
    connect(TrigTimer, &QTimer::timeout, this, &TMainForm::TrigTimerTimer);
}

void TMainForm::FormCreate(const QStringList& arguments)
{
    Options = ParseCommandLine(arguments);
    RecordingOptionsVisible = true;
    ConnectedOnce = false;
    GeometryRestored = false;
    setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    DataPanel->setVisible(Options.AutoCapture);

    // Hints: orange, shown for 10 s.
    QPalette hints = QToolTip::palette();
    hints.setColor(QPalette::ToolTipBase, Colours::Orange);
    QToolTip::setPalette(hints);
    for (QWidget* hinted : std::initializer_list<QWidget*>{StPanel1, StPanel3, ExtStPanel3, DataMemo})
        hinted->setToolTipDuration(10000);

    const QString version = ProgramVersion();
    if (!version.isEmpty())
        StPanel1->setToolTip("Version " + version);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    PosPanel->clear();
    RefPanel->clear();
    initTimer->start();
    StPanel1->setText(" Ver. " + version);
    StPanel2->setText("K740 not detected");
    NotConnected = true;
    AutoSaveInterval = 1;
    SetLogoMode(Options.LogoMode);
    FittedFontSize = 72;
    UnsupportedNoticeArmed = true;
}

void TMainForm::FormDestroy()
{
    if (Destroyed)
        return;
    Destroyed = true;
    initTimer->stop();
    LoopTimer->stop();
    if (Options.LayoutEditMode || ConnectedOnce)
        saveSettings();
    closePort();
}

void TMainForm::closePort()
{
    if (port_)
        port_->close();
    port_.reset();
}

void TMainForm::SetLogoMode(int mode)
{
    if (mode < 0 || mode > 3)
        return;
    Image1->setVisible(mode == 0 || mode == 1);
    Image2->setVisible(mode == 0 || mode == 2);
    pHead->resize(pHead->width(), (mode == 0 || mode == 1) ? 72 : 0);
    Options.LogoMode = mode;
}

QString TMainForm::positionText() const
{
    return PosPanel->text();
}

QString TMainForm::statusText(int panel) const
{
    switch (panel) {
    case 1:
        return StPanel1->text();
    case 2:
        return StPanel2->text();
    default:
        return StPanel3->text();
    }
}

QString TMainForm::summaryText() const
{
    return StPanel3->text();
}

void TMainForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormShow();
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

} // namespace k740

#include "ui/settings_form.h"

#include "settings/dialog_input_checks.h"
#include "ui/screen_area.h"
#include "ui/settings_form_controls.h"
#include "ui/settings_form_radio_group.h"
#include "ui/widgets/combo_box_accessible.h"
#include "ui/widgets/refused_states.h"
#include "ui/widgets/up_down.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <algorithm>

namespace k740 {

namespace {
constexpr int kGapAboveLogo = 3;
constexpr int kGapAboveButtons = 16;
constexpr int kGapBelowButtons = 16;

int BottomOf(const QWidget* control)
{
    return control->y() + control->height();
}
} // namespace

TSettingsForm::TSettingsForm(QWidget* mainWindow)
    : QDialog(mainWindow)
{
    setWindowTitle("K740 Settings");
    QFont designFont("Liberation Sans");
    designFont.setPixelSize(13);
    setFont(designFont);
    // Lists named by their captions for assistive technology.
    InstallComboBoxAccessibility();
    ui.setupUi(this);
    placeButtons();
    // A fixed dialog: never minimised (a modal dialog out of sight would leave
    // the main window blocked) nor maximised.
    RefuseWindowStates(this, Qt::WindowMinimized | Qt::WindowMaximized);
    FormCreate();

    connectHandlers();
}

void TSettingsForm::connectHandlers()
{
    auto& c = ui;
    connectClick({c.rbLinear, c.rbRotary, c.rbDCR}, &TSettingsForm::rbLinearClick);
    connectClick({c.rbSSI, c.rbBiSS}, &TSettingsForm::rbSSIClick);
    connectClick({c.rbPredefined, c.rbCustom, c.rbDataLength}, &TSettingsForm::rbPredefinedClick);
    connectClick({c.rbNominal, c.rbBasic}, &TSettingsForm::rbNominalClick);
    connectTextChange({c.ePaddingBits, c.eGeneralStatusBits, c.eDetailedStatusBits, c.eCRCBits},
        &TSettingsForm::eGeneralStatusBitsChange);
    connectTextChange({c.eMultiturn}, &TSettingsForm::eMultiturnChange);
    connectClick({c.cbInvertDir}, &TSettingsForm::cbInvertDirClick);
    connectClick({c.cbAutoSave}, &TSettingsForm::cbAutoSaveClick);
    // The diagram window opens after the click has returned.
    connect(c.HintImage, &QAbstractButton::clicked, this, &TSettingsForm::HintImageClick, Qt::QueuedConnection);
    connect(c.BtnOK, &QPushButton::clicked, this, &TSettingsForm::BtnOKClick);
    connect(c.BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TSettingsForm::~TSettingsForm() = default;

// A check box's click handler runs on every change of its state, a radio
// button's when it becomes checked; the same whether the user or the code
// changed it.
void TSettingsForm::connectClick(std::initializer_list<QAbstractButton*> controls, THandler handler)
{
    for (QAbstractButton* control : controls) {
        const bool radio = qobject_cast<QRadioButton*>(control) != nullptr;
        connect(control, &QAbstractButton::toggled, this, [this, handler, radio](bool checked) {
            if (checked || !radio)
                (this->*handler)();
        });
    }
}

void TSettingsForm::connectTextChange(std::initializer_list<QLineEdit*> edits, THandler handler)
{
    for (QLineEdit* edit : edits)
        connect(edit, &QLineEdit::textChanged, this, [this, handler] { (this->*handler)(); });
}

std::optional<TSettingsDialogResult> TSettingsForm::edit(
    const TEncoderSettings& active, const TRunChoices& run, const TSettingsDialogContext& context)
{
    fill(active, run, context);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return readBack();
}

void TSettingsForm::fill(const TEncoderSettings& active, const TRunChoices& run, const TSettingsDialogContext& context)
{
    Active = active;
    Run = run;
    Context = context;
    MarkSpacing.reset();
    FillingFrame = FrameFieldsOf(active);
    fillEncoder();
    fillRecording();
    fillFrame();
    fillMarksAndMultiturn();
    FillingFrame.reset();
    applyPositionBitLimit();
    Opened = values();
}

// Interface-dependent controls, encoder type, protocol and resolution.
void TSettingsForm::fillEncoder()
{
    auto& c = ui;
    const TEncoderSettings& s = Active;
    c.rbDCR->setEnabled(Context.countingInterface());
    SetAllEnabled({c.rbSSI, c.rbBiSS, c.cbGrayCode}, Context.absoluteInterface());
    if (Context.countingInterface()) {
        SetChecked(c.rbSSI, false);
        SetChecked(c.rbBiSS, false);
    }
    SetChecked(c.cbInvertDir, s.InvertDir);
    SetLinearUnit(s.Units);
    SetChecked(s.Rotary ? c.rbRotary : c.rbLinear, true);
    if (Context.countingInterface())
        SetChecked(c.rbDCR, s.DCR);
    if (Context.absoluteInterface()) {
        // An absolute interface has no distance-coded marks, whatever a
        // counting interface left in this box.
        SetChecked(c.rbDCR, false);
        SetChecked(s.BiSS ? c.rbBiSS : c.rbSSI, true);
    }
    c.eCustom->setText(QString::number(s.Custom));
    applyPositionBitLimit(); // so that a stored length within the budget is kept
    c.udBits->setPosition(s.SSIBits);
    const bool knownFrequency = IsKnownSsiClock(s.SSIFreq);
    c.cmbFreq->setCurrentIndex(knownFrequency ? s.SSIFreq - int32_t(TSsiClock::Khz35) : -1);
    c.eNominalIncr->setText(QString::number(s.NominalIncr));
    rbLinearClick();
    SetRotaryUnit(s.Degrees);
}

void TSettingsForm::fillRecording()
{
    auto& c = ui;
    SetChecked(c.cbAutoSave, Run.AutoSave);
    c.udSaveInterval->setPosition(Run.AutoSaveInterval);
    SetChecked(c.cbAutoCapture, Run.AutoCapture);
    c.gbAutoSave->setVisible(Context.RecordingOptionsVisible);
    c.rgLogo->setVisible(Context.LayoutEditMode);
    if (Context.LayoutEditMode)
        c.rgLogo->setItemIndex(Run.LogoMode);
    else
        SetChecked(c.cbShowRefMarks, true);
    placeButtons();
}

// The logo choice below the recording group in layout edit mode; the page
// of groups ends below whichever is last, and the dialog is laid out for it.
void TSettingsForm::placeButtons()
{
    auto& c = ui;
    c.rgLogo->move(c.rgLogo->x(), BottomOf(c.gbAutoSave) + kGapAboveLogo);
    const QWidget* above = Context.LayoutEditMode ? static_cast<QWidget*>(c.rgLogo) : c.gbAutoSave;
    c.Groups->resize(c.Groups->width(), BottomOf(above) + kGapAboveButtons / 2);
    layOut(designedSize());
}

// The whole page, the buttons and the info strip below it.
QSize TSettingsForm::designedSize() const
{
    const auto& c = ui;
    return c.Groups->size()
        + QSize(0, kGapAboveButtons / 2 + c.BtnOK->height() + kGapBelowButtons + c.InfoPanel->height());
}

// The pane along the top, the buttons (keeping their distance from the right
// edge) below it, the info strip along the bottom.
void TSettingsForm::layOut(QSize client)
{
    auto& c = ui;
    const int buttonsTop = client.height() - c.InfoPanel->height() - kGapBelowButtons - c.BtnOK->height();
    const int shift = client.width() - width();
    const QSize pane(client.width(), buttonsTop - kGapAboveButtons / 2);
    c.GroupsPane->setGeometry(QRect(QPoint(0, 0), pane));
    // Scroll bars only where the page needs them; Qt's own choice keeps bars
    // it once showed when the page then fits exactly.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const QSize page = c.Groups->size();
    bool vertical = pane.height() < page.height();
    const bool horizontal = pane.width() - (vertical ? bar : 0) < page.width();
    vertical = vertical || (horizontal && pane.height() - bar < page.height());
    c.GroupsPane->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    c.GroupsPane->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    for (QWidget* button : {static_cast<QWidget*>(c.BtnOK), static_cast<QWidget*>(c.BtnCancel)})
        button->move(button->x() + shift, buttonsTop);
    c.InfoPanel->setGeometry(0, client.height() - c.InfoPanel->height(), client.width(), c.InfoPanel->height());
    setFixedSize(client);
}

// As designed where the dialog fits the usable area of the main window's
// screen; otherwise as large as fits there, the page scrolling in its pane.
void TSettingsForm::fitToScreen(const QRect& area, QSize frame)
{
    const QSize designed = designedSize();
    const QSize room = area.size() - frame;
    QSize client = designed;
    if (designed.width() > room.width() || designed.height() > room.height()) {
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        client = QSize(std::min(designed.width() + bar, room.width()), std::min(designed.height(), room.height()));
    }
    layOut(client);
    ui.GroupsPane->ensureVisible(0, 0);
}

// Frequency, extended data, protocol-dependent fields and status display.
void TSettingsForm::fillFrame()
{
    auto& c = ui;
    const TEncoderSettings& s = Active;
    const bool absolute = Context.absoluteInterface();
    c.cmbFreq->setEnabled(Context.ExtendedInterface && absolute);
    c.cbShowStatus->setEnabled(Context.ExtendedInterface);
    SetChecked(c.cbShowStatus, s.ShowExtendedData && Context.ExtendedInterface);
    const bool bissCapable = Context.bissCapable();
    c.rbBiSS->setEnabled(bissCapable);
    SetAllEnabled({c.lblCRC, c.eCRCBits, c.udCRCBits}, bissCapable && s.BiSS);
    SetAllEnabled({c.lblDetailedStatusBits, c.eDetailedStatusBits, c.udDetailedStatusBits}, bissCapable && !s.BiSS);
    SetAllEnabled({c.lblPaddingBits, c.ePaddingBits, c.udPaddingBits, c.lblGeneralStatus, c.eGeneralStatusBits,
                      c.udGeneralStatusBits, c.cbShowStatusBits},
        absolute);
    const bool colours = absolute && s.SSIStatusBits == kGeneralStatusBitCount;
    SetAllEnabled({c.cbShowStatusColor, c.cbActiveLow}, colours);
    c.udPaddingBits->setPosition(s.PaddingBits);
    c.udGeneralStatusBits->setPosition(s.SSIStatusBits);
    c.udDetailedStatusBits->setPosition(s.DetailedStatusBits);
    c.udCRCBits->setPosition(s.CRCBits);
    SetChecked(c.cbShowStatusBits, absolute && s.ShowStatusBits);
    SetChecked(c.cbShowStatusColor, colours && s.ShowStatusColor);
    SetChecked(c.cbActiveLow, c.cbActiveLow->isEnabled() && s.StatusActiveLow);
}

void TSettingsForm::fillMarksAndMultiturn()
{
    auto& c = ui;
    const TEncoderSettings& s = Active;
    rbLinearClick();
    SetChecked(c.cbShowRefMarks, s.ShowRefMarks);
    SetChecked(s.NominalIncrFlag ? c.rbNominal : c.rbBasic, true);
    c.rgPeriode->setItemIndex(s.PeriodLength == kPeriodLength5mm ? kPeriod5mmRow : kPeriod2mmRow);
    c.eBasicIncr->setText(QString::number(int64_t(s.NominalIncr) * s.PeriodLength));
    c.udMultiturn->setPosition(s.MultiturnBits);
    SetChecked(c.cbSignedMultiTurn, s.SignedMultiturnCounter);
    SetChecked(c.cbGrayCode, s.GrayCode);
}

TSettingsDialogResult TSettingsForm::readBack() const
{
    const TSettingsDialogValues v = values();
    return {ReadBackEdits(Active, Opened, v, Context), ReadBackRunChoices(Run, v, Context), SettingsChanged};
}

TSettingsDialogValues TSettingsForm::values() const
{
    const auto& c = ui;
    TSettingsDialogValues v;
    v.AutoSave = c.cbAutoSave->isChecked();
    v.AutoSaveInterval = c.udSaveInterval->position();
    v.AutoCapture = c.cbAutoCapture->isChecked();
    v.LogoRow = c.rgLogo->itemIndex();
    v.InvertDir = c.cbInvertDir->isChecked();
    v.Rotary = c.rbRotary->isChecked();
    v.LinearUnit = GetLinearUnit();
    v.RotaryUnit = GetRotaryUnit();
    v.ShowExtendedData = c.cbShowStatus->isChecked();
    v.FrequencyRow = c.cmbFreq->currentIndex();
    v.PositionBits = c.udBits->position();
    v.Frame = frameFields();
    v.ShowStatusBits = c.cbShowStatusBits->isChecked();
    v.ShowStatusColor = c.cbShowStatusColor->isChecked();
    v.StatusActiveLow = c.cbActiveLow->isChecked();
    v.DistanceCoded = c.rbDCR->isChecked();
    v.SignedMultiturnCounter = c.cbSignedMultiTurn->isChecked();
    v.GrayCode = c.cbGrayCode->isChecked();
    v.ShowRefMarks = c.cbShowRefMarks->isChecked();
    v.ResolutionRow = c.cmbResolution->currentIndex();
    v.Resolution = c.rbCustom->isChecked() ? TResolutionMode::Custom
        : c.rbDataLength->isChecked()      ? TResolutionMode::PositionBits
                                           : TResolutionMode::Predefined;
    v.CustomCpr = CustomCprFromText(c.eCustom->text()).value_or(0);
    v.CppRow = c.cmbCPP->currentIndex();
    v.MarkSpacing = MarkSpacing;
    v.BiSS = c.rbBiSS->isEnabled() && c.rbBiSS->isChecked();
    return v;
}

void TSettingsForm::setInfoText(const QString& text)
{
    ui.InfoPanel->setText(text);
}

void TSettingsForm::setAutoSaveHint(const QString& hint)
{
    ui.cbAutoSave->setToolTip(hint);
}

void TSettingsForm::FormCreate()
{
    ui.pUnitsLinear->move(ui.pUnitsRotary->pos());
}

// Centred over the main window and inside the usable area of its screen,
// with the focus on the first field.
void TSettingsForm::FormShow()
{
    if (const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr) {
        const QRect main = owner->frameGeometry();
        const QSize frame = FrameExtra(this, owner);
        fitToScreen(UsableArea(main, owner), frame);
        const QSize own = size() + frame;
        const QRect centred(main.x() + (main.width() - own.width()) / 2, main.y() + (main.height() - own.height()) / 2,
            own.width(), own.height());
        move(FittedOnScreen(centred, owner).topLeft());
    }
    if (QWidget* focused = focusWidget())
        focused->clearFocus();
    focusNextPrevChild(true);
    SettingsChanged = false;
    ui.cbShowRefMarks->setEnabled(Context.LayoutEditMode && ui.rbDCR->isChecked());
    rbNominalClick();
}

void TSettingsForm::FormClose()
{
    emit timingDiagramDismissed();
}

bool TSettingsForm::FormKeyPress(int key)
{
    if (key != Qt::Key_Escape)
        return false;
    reject();
    return true;
}

// A restore from minimised shows the dialog again; only its own showing
// places it and starts the opening afresh.
void TSettingsForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TSettingsForm::keyPressEvent(QKeyEvent* event)
{
    if (!FormKeyPress(event->key()))
        QDialog::keyPressEvent(event);
}

void TSettingsForm::done(int result)
{
    FormClose();
    QDialog::done(result);
}

} // namespace k740

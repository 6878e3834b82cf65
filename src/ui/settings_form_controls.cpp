#include "ui/settings_form_controls.h"

#include "ui/settings_form_radio_group.h"
#include "ui/widgets/up_down.h"

#include "settings/dialog_limits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <tuple>

namespace k740 {

namespace {

constexpr int kDesignClientWidth = 433;
constexpr int kDesignClientHeight = 753;
constexpr int kInfoPanelHeight = 19;
constexpr int kButtonHeight = 17; // check boxes and radio buttons
constexpr int kEditHeight = 21;   // edits and drop-down lists
constexpr int kLabelHeight = 15;
// The position bits' spinner as designed; the frame budget sets its maximum at run time.
constexpr int kDesignPositionBitsMaximum = 31;

// The help picture: a white question mark on a blue disc, drawn at run time.
class THintImage : public QAbstractButton {
public:
    explicit THintImage(QWidget* parent)
        : QAbstractButton(parent)
    {
        setCursor(Qt::PointingHandCursor);
        // Tab reaches it and Space opens the diagram, as for a button.
        setFocusPolicy(Qt::TabFocus);
        setAccessibleName(QStringLiteral("Timing diagram"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 84, 227));
        painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
        QFont mark = font();
        mark.setBold(true);
        mark.setPixelSize(15);
        painter.setFont(mark);
        painter.setPen(Qt::white);
        painter.drawText(rect(), Qt::AlignCenter, "?");
        if (hasFocus()) {
            painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
        }
    }
};

// A group box by its designed left, top, right and bottom.
QGroupBox* Group(QWidget* parent, const QString& caption, int left, int top, int right, int bottom)
{
    auto* box = new QGroupBox(caption, parent);
    box->setGeometry(left, top, right - left, bottom - top);
    return box;
}

template <class Control> Control* Place(Control* control, int left, int top, int width, int height)
{
    control->setGeometry(left, top, width, height);
    return control;
}

QRadioButton* Radio(QWidget* parent, const QString& caption, int left, int top, int width)
{
    return Place(new QRadioButton(caption, parent), left, top, width, kButtonHeight);
}

QCheckBox* Check(QWidget* parent, const QString& caption, int left, int top, int width)
{
    return Place(new QCheckBox(caption, parent), left, top, width, kButtonHeight);
}

QLabel* Label(QWidget* parent, const QString& caption, int left, int top, int width)
{
    return Place(new QLabel(caption, parent), left, top, width, kLabelHeight);
}

QLineEdit* Edit(QWidget* parent, const QString& text, int left, int top, int width)
{
    return Place(new QLineEdit(text, parent), left, top, width, kEditHeight);
}

QComboBox* List(QWidget* parent, const QStringList& items, int left, int top, int width)
{
    auto* box = Place(new QComboBox(parent), left, top, width, kEditHeight);
    box->addItems(items);
    return box;
}

// An edit with its spinner right beside it, together `width` pixels wide.
std::tuple<QLineEdit*, TUpDown*> SpinEdit(
    QWidget* parent, int left, int top, int width, const TSpinLimits& limits, int position)
{
    QLineEdit* field = Edit(parent, QString(), left, top, width - TUpDown::kDefaultWidth);
    auto* spinner = new TUpDown(parent);
    spinner->setRange(limits.Minimum, limits.Maximum);
    spinner->setIncrement(limits.Increment);
    spinner->setPosition(position);
    spinner->setAssociate(field);
    spinner->placeBesideAssociate();
    return {field, spinner};
}

// One column of the frame group: caption above a spinner edit, one hint for all three.
constexpr int kFrameColumnWidth = 90;
constexpr int kFrameEditWidth = 77;

std::tuple<QLabel*, QLineEdit*, TUpDown*> FrameColumn(
    QWidget* parent, int column, const QString& caption, const TSpinLimits& limits, int position, const QString& hint)
{
    const int left = 8 + column * kFrameColumnWidth;
    QLabel* title = Label(parent, caption, left, 18, kFrameEditWidth);
    auto [field, spinner] = SpinEdit(parent, left, 36, kFrameEditWidth, limits, position);
    title->setBuddy(field);
    for (QWidget* control : std::initializer_list<QWidget*>{title, field, spinner})
        control->setToolTip(hint);
    return {title, field, spinner};
}

} // namespace

void TSettingsFormControls::setupUi(QDialog* form)
{
    form->resize(kDesignClientWidth, kDesignClientHeight);
    GroupsPane = new QScrollArea(form);
    GroupsPane->setFrameShape(QFrame::NoFrame);
    // Tab goes from control to control; the pane scrolls to the one it reaches.
    GroupsPane->setFocusPolicy(Qt::NoFocus);
    Groups = new QWidget(GroupsPane);
    Groups->resize(kDesignClientWidth, kDesignClientHeight);
    QWidget* page = Groups;

    GroupBox1 = Group(page, "Encoder Type", 12, 8, 421, 61);
    rbLinear = Radio(GroupBox1, "Linear", 8, 22, 100);
    rbLinear->setChecked(true);
    rbRotary = Radio(GroupBox1, "Rotary", 112, 22, 100);
    rbDCR = Check(GroupBox1, "Distance Coded Ref Marks", 216, 22, 185);

    GroupBox7 = Group(page, "Encoder Interface", 12, 64, 213, 117);
    rbSSI = Radio(GroupBox7, "SSI", 8, 22, 52);
    rbSSI->setChecked(true);
    cbGrayCode = Check(GroupBox7, "Gray", 62, 22, 60);
    cbGrayCode->setChecked(true);
    cbGrayCode->setToolTip("Position provided in reflected binary code (Gray code)");
    rbBiSS = Radio(GroupBox7, "BiSS", 128, 22, 60);

    gbFrequency = Group(page, "SSI Frequency", 220, 64, 421, 117);
    cmbFreq = List(gbFrequency,
        {"35 kHz", "70 kHz", "140 kHz", "280 kHz", "560 kHz", "1.1  MHz", "2.2  MHz", "4.4 MHz"}, 8, 21, 185);

    GroupBox2 = Group(page, "Resolution", 12, 120, 421, 189);
    rbPredefined = Radio(GroupBox2, "Predefined", 8, 18, 100);
    rbPredefined->setChecked(true);
    rbCustom = Radio(GroupBox2, "Custom CPR", 112, 18, 100);
    rbDataLength = Radio(GroupBox2, "Position bits", 216, 18, 104);
    LblResolution = Label(GroupBox2, "µm", 8, 20, 185);
    LblNofBits = Label(GroupBox2, "Position Data (Bits)", 216, 20, 185);
    cmbResolution = List(GroupBox2, {}, 8, 40, 97);
    eCustom = Edit(GroupBox2, "8", 112, 40, 97);
    std::tie(eBits, udBits) = SpinEdit(GroupBox2, 216, 40, 97, {kMinPositionBits, kDesignPositionBitsMaximum}, 8);
    lblMultiturn = Label(GroupBox2, "MT Counter", 324, 20, 77);
    std::tie(eMultiturn, udMultiturn) = SpinEdit(GroupBox2, 324, 40, 77, kMultiturnBitsLimits, 0);
    // Assistive technology names each field by its own caption (a field
    // without one would take its group's title).
    LblResolution->setBuddy(cmbResolution);
    LblNofBits->setBuddy(eBits);
    lblMultiturn->setBuddy(eMultiturn);
    eCustom->setAccessibleName(rbCustom->text());
    eMultiturn->setToolTip("Number of Multiturn Counter bits");
    udMultiturn->setToolTip("Number of Multiturn Counter bits");

    GroupBox5 = Group(page, "SSI / BiSS Mode Settings", 12, 192, 421, 265);
    std::tie(lblPaddingBits, ePaddingBits, udPaddingBits) = FrameColumn(
        GroupBox5, 0, "Padding bits", kPaddingBitsLimits, 0, "Number of Padding bits (Bits after the position)");
    std::tie(lblGeneralStatus, eGeneralStatusBits, udGeneralStatusBits)
        = FrameColumn(GroupBox5, 1, "Status bits", kGeneralStatusBitsLimits, 0, "General status bits (Error, Warning)");
    std::tie(lblDetailedStatusBits, eDetailedStatusBits, udDetailedStatusBits)
        = FrameColumn(GroupBox5, 2, "Detail. status", kDetailedStatusBitsLimits, 0, "Number of Detailed status bits");
    std::tie(lblCRC, eCRCBits, udCRCBits)
        = FrameColumn(GroupBox5, 3, "CRC bits", kCrcBitsLimits, 6, "To skip CRC check set number of CRC bits to 0");
    eCRCBits->setToolTip("CRC Polynome: 0x43, Inverted.  To skip CRC check set the number of CRC bits to 0");
    HintImage = Place(new THintImage(GroupBox5), 380, 36, 20, 20);

    gbDCRSettings = Group(page, "Distance Coded Reference Marks Settings", 12, 268, 421, 413);
    rbNominal = Radio(gbDCRSettings, "Nominal Increment (Periods)", 8, 18, 200);
    eNominalIncr = Edit(gbDCRSettings, "1000", 8, 38, 97);
    rbBasic = Radio(gbDCRSettings, "Basic Increment K (mm)", 8, 66, 200);
    eBasicIncr = Edit(gbDCRSettings, "100", 8, 86, 97);
    lblCPP = Label(gbDCRSettings, "Counts Per Period", 216, 20, 185);
    cmbCPP = List(gbDCRSettings, {}, 216, 38, 185);
    rgPeriode = Place(new TRadioGroup("Periode Lenght (mm)", {"2", "5"}, 2, gbDCRSettings), 216, 64, 185, 43);
    cbShowRefMarks = Check(gbDCRSettings, "Show Reference Marks", 8, 118, 200);
    eNominalIncr->setAccessibleName(rbNominal->text());
    eBasicIncr->setAccessibleName(rbBasic->text());
    lblCPP->setBuddy(cmbCPP);

    gbUnits = Group(page, "Display Units", 12, 416, 213, 509);
    pUnitsRotary = Place(new QWidget(gbUnits), 2, 16, 197, 75);
    rbUnitCounts = Radio(pUnitsRotary, "Counts", 8, 4, 90);
    rbUnitDMS = Radio(pUnitsRotary, "D° M' S\"", 8, 26, 90);
    rbUnitDegrees = Radio(pUnitsRotary, "Degrees", 100, 4, 90);
    cbSignedMultiTurn = Check(pUnitsRotary, "Signed Multiturn Counter", 8, 50, 180);
    pUnitsLinear = Place(new QWidget(gbUnits), 2, 16, 197, 75);
    rbUnitMm = Radio(pUnitsLinear, "mm", 8, 4, 90);
    rbUnitUm = Radio(pUnitsLinear, "µm", 100, 4, 90);
    rbUnitInch = Radio(pUnitsLinear, "Inch", 8, 26, 90);
    rbUnitMil = Radio(pUnitsLinear, "mil", 100, 26, 90);

    GroupBox4 = Group(page, "Enocder Status", 220, 416, 421, 509);
    cbShowStatusBits = Check(GroupBox4, "Show Encoder Status", 12, 20, 180);
    cbShowStatusColor = Check(GroupBox4, "Show Status Colors", 12, 42, 180);
    cbActiveLow = Check(GroupBox4, "Active Status LOW", 12, 64, 180);

    gbDirection = Group(page, "Direction", 12, 512, 213, 561);
    cbInvertDir = Check(gbDirection, "Invert Direction", 12, 22, 180);

    gbShowStatus = Group(page, "K740 Interface Status", 220, 512, 421, 561);
    cbShowStatus = Check(gbShowStatus, "Show K740 Status Info", 12, 22, 180);

    gbAutoSave = Group(page, "Recording data", 12, 564, 421, 641);
    cbAutoCapture = Check(gbAutoSave, "Capture positions to a list", 12, 20, 250);
    cbAutoSave = Check(gbAutoSave, "Save position to a file every", 12, 48, 190);
    std::tie(eSeconds, udSaveInterval) = SpinEdit(gbAutoSave, 204, 46, 57, kSaveIntervalLimits, 1);
    lblSeconds = Label(gbAutoSave, "seconds", 266, 49, 60);
    eSeconds->setAccessibleName(cbAutoSave->text() + " ... " + lblSeconds->text());
    SetAllEnabled({eSeconds, udSaveInterval, lblSeconds}, false);

    rgLogo = Place(new TRadioGroup("Orvik Logo", {"Both", "Top", "Bottom", "None"}, 4, page), 12, 644, 409, 45);
    GroupsPane->setWidget(Groups);
    BtnOK = Place(new QPushButton("OK", form), 252, 700, 75, 25);
    BtnOK->setDefault(true);
    BtnCancel = Place(new QPushButton("Cancel", form), 344, 700, 75, 25);

    InfoPanel = new QLabel(form);
    InfoPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    InfoPanel->setGeometry(0, kDesignClientHeight - kInfoPanelHeight, kDesignClientWidth, kInfoPanelHeight);
}

void SetChecked(QAbstractButton* control, bool checked)
{
    if (checked || !control->autoExclusive()) {
        control->setChecked(checked);
        return;
    }
    // An auto-exclusive radio button refuses to be unchecked directly.
    control->setAutoExclusive(false);
    control->setChecked(false);
    control->setAutoExclusive(true);
}

void SetAllEnabled(std::initializer_list<QWidget*> controls, bool enabled)
{
    for (QWidget* control : controls)
        control->setEnabled(enabled);
}

void SetAllVisible(std::initializer_list<QWidget*> controls, bool visible)
{
    for (QWidget* control : controls)
        control->setVisible(visible);
}

} // namespace k740

#pragma once
#include <cstdint>
#include <initializer_list>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QWidget;

namespace k740 {

class TRadioGroup;
class TUpDown;

// The settings dialog's controls at their designed places, with their
// captions, hints, list items and spinner limits. The groups lie on one
// page in a scroll pane, which shows the whole page where the dialog fits
// the screen; the buttons and the info strip stay below the pane.
struct TSettingsFormControls {
    void setupUi(QDialog* form);

    QScrollArea* GroupsPane;
    QWidget* Groups;

    QGroupBox* GroupBox1;
    QRadioButton* rbLinear;
    QRadioButton* rbRotary;
    QCheckBox* rbDCR;

    QGroupBox* GroupBox7;
    QRadioButton* rbSSI;
    QCheckBox* cbGrayCode;
    QRadioButton* rbBiSS;

    QGroupBox* gbFrequency;
    QComboBox* cmbFreq;

    QGroupBox* GroupBox2;
    QRadioButton* rbPredefined;
    QRadioButton* rbCustom;
    QRadioButton* rbDataLength;
    QLabel* LblResolution;
    QLabel* LblNofBits;
    QComboBox* cmbResolution;
    QLineEdit* eCustom;
    QLineEdit* eBits;
    TUpDown* udBits;
    QLabel* lblMultiturn;
    QLineEdit* eMultiturn;
    TUpDown* udMultiturn;

    QGroupBox* GroupBox5;
    QLabel* lblPaddingBits;
    QLineEdit* ePaddingBits;
    TUpDown* udPaddingBits;
    QLabel* lblGeneralStatus;
    QLineEdit* eGeneralStatusBits;
    TUpDown* udGeneralStatusBits;
    QLabel* lblDetailedStatusBits;
    QLineEdit* eDetailedStatusBits;
    TUpDown* udDetailedStatusBits;
    QLabel* lblCRC;
    QLineEdit* eCRCBits;
    TUpDown* udCRCBits;
    QAbstractButton* HintImage;

    QGroupBox* gbDCRSettings;
    QRadioButton* rbNominal;
    QLineEdit* eNominalIncr;
    QLabel* lblCPP;
    QComboBox* cmbCPP;
    QRadioButton* rbBasic;
    QLineEdit* eBasicIncr;
    TRadioGroup* rgPeriode;
    QCheckBox* cbShowRefMarks;

    QGroupBox* gbUnits;
    QWidget* pUnitsRotary;
    QRadioButton* rbUnitCounts;
    QRadioButton* rbUnitDMS;
    QRadioButton* rbUnitDegrees;
    QCheckBox* cbSignedMultiTurn;
    QWidget* pUnitsLinear;
    QRadioButton* rbUnitMm;
    QRadioButton* rbUnitUm;
    QRadioButton* rbUnitInch;
    QRadioButton* rbUnitMil;

    QGroupBox* GroupBox4;
    QCheckBox* cbShowStatusBits;
    QCheckBox* cbShowStatusColor;
    QCheckBox* cbActiveLow;

    QGroupBox* gbDirection;
    QCheckBox* cbInvertDir;

    QGroupBox* gbShowStatus;
    QCheckBox* cbShowStatus;

    QGroupBox* gbAutoSave;
    QCheckBox* cbAutoCapture;
    QCheckBox* cbAutoSave;
    QLineEdit* eSeconds;
    TUpDown* udSaveInterval;
    QLabel* lblSeconds;

    TRadioGroup* rgLogo;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;
    QLabel* InfoPanel;
};

// The rows of rgPeriode and the signal periods they stand for.
inline constexpr int kPeriod2mmRow = 0;
inline constexpr int kPeriod5mmRow = 1;
inline constexpr int32_t kPeriodLength2mm = 2;
inline constexpr int32_t kPeriodLength5mm = 5;

// Checks or unchecks a check box or radio button as a click would: its
// toggled signal, which runs its change handler, fires when the state
// changes. A radio button may be unchecked too, leaving its siblings
// unchecked.
void SetChecked(QAbstractButton* control, bool checked);

void SetAllEnabled(std::initializer_list<QWidget*> controls, bool enabled);
void SetAllVisible(std::initializer_list<QWidget*> controls, bool visible);

} // namespace k740

// The settings dialog's change handlers, its run-time lists and its checks on OK.
#include "ui/settings_form.h"

#include "settings/choice_tables.h"
#include "settings/dialog_input_checks.h"
#include "ui/settings_form_controls.h"
#include "ui/settings_form_radio_group.h"
#include "ui/widgets/up_down.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <algorithm>

namespace k740 {

namespace {
constexpr int kNarrowListWidth = 97; // resolution list beside the custom CPR
constexpr int kWideListWidth = 185;

// Selects `row`, or for a value in no row (-1) a row of its own that shows
// it, after the table's rows: OK keeps that value unless another row is picked.
void SelectRow(QComboBox* list, int row, const QString& valueText)
{
    if (row < 0) {
        list->addItem(valueText);
        row = list->count() - 1;
    }
    list->setCurrentIndex(row);
}
} // namespace

// Encoder type or distance-coded option changed.
void TSettingsForm::rbLinearClick()
{
    auto& c = ui;
    const bool rotary = c.rbRotary->isChecked();
    const bool dcr = c.rbDCR->isChecked();
    c.gbUnits->setTitle(rotary ? "Display Unit - Rotary" : "Display Unit - Linear");
    c.pUnitsRotary->setVisible(rotary);
    c.pUnitsLinear->setVisible(!rotary);
    c.eCustom->setVisible(rotary);
    SetAllVisible({c.eBits, c.udBits}, rotary || c.rbSSI->isChecked() || c.rbBiSS->isChecked());
    SetAllEnabled({c.rbNominal, c.rbBasic, c.eNominalIncr, c.lblCPP, c.cmbCPP}, dcr);
    c.cbShowRefMarks->setEnabled(dcr && Context.LayoutEditMode);
    if (!c.cbShowRefMarks->isEnabled())
        SetChecked(c.cbShowRefMarks, true);
    SetAllVisible({c.rbPredefined, c.rbCustom, c.rbDataLength}, rotary);
    c.LblResolution->setVisible(!rotary);
    c.LblNofBits->setVisible(!rotary && Context.absoluteInterface());
    c.rgPeriode->setEnabled(dcr && c.rbBasic->isChecked());
    SetAllVisible({c.eMultiturn, c.lblMultiturn, c.udMultiturn}, rotary);
    placePositionBits(rotary);
    applyPositionBitLimit(); // the multiturn bits count for a rotary encoder only
    SettingsChanged = true;
    if (dcr)
        FillCppList();
    if (rotary)
        rbPredefinedClick();
    FillResolutionList(rotary);
}

// Position bits beside the custom CPR when rotary; else wide, in line with
// the counts-per-period list, next to a wide resolution list.
void TSettingsForm::placePositionBits(bool rotary)
{
    auto& c = ui;
    const int width = rotary ? kNarrowListWidth : kWideListWidth;
    const int left = rotary ? c.rbDataLength->x() : c.cmbCPP->x();
    c.cmbResolution->resize(width, c.cmbResolution->height());
    c.eBits->setGeometry(left, c.eBits->y(), width - c.udBits->width(), c.eBits->height());
    if (!rotary)
        SetAllEnabled({c.eBits, c.udBits}, true);
    c.udBits->placeBesideAssociate();
}

void TSettingsForm::FillResolutionList(bool rotary)
{
    auto& c = ui;
    c.cmbResolution->clear();
    c.cmbResolution->setEnabled(true);
    if (!rotary) {
        c.LblResolution->setText("µm");
        c.LblResolution->setVisible(true);
        c.cmbResolution->addItems(ResolutionTexts());
        SelectRow(c.cmbResolution, ResolutionRow(Active.CPM), ResolutionText(Active.CPM));
        c.eCustom->setEnabled(false);
        return;
    }
    c.LblResolution->setText("Counts per Rev (CPR)");
    c.LblResolution->setVisible(false);
    c.cmbResolution->addItems(CprTexts());
    const TRotaryResolution choice = RotaryResolutionFor(Active.CPR, c.udBits->maximum());
    c.cmbResolution->setCurrentIndex(choice.Row);
    switch (choice.Mode) {
    case TResolutionMode::Predefined:
        SetChecked(c.rbPredefined, true);
        break;
    case TResolutionMode::PositionBits:
        SetChecked(c.rbDataLength, true);
        c.udBits->setPosition(choice.Bits);
        break;
    case TResolutionMode::Custom:
        SetChecked(c.rbCustom, true);
        c.eCustom->setText(QString::number(Active.CPR));
        break;
    }
    rbPredefinedClick();
}

void TSettingsForm::FillCppList()
{
    auto& c = ui;
    c.cmbCPP->clear();
    c.cmbCPP->addItems(CppTexts());
    SelectRow(c.cmbCPP, CppRow(Active.CPP), QString::number(Active.CPP));
}

void TSettingsForm::rbPredefinedClick()
{
    auto& c = ui;
    c.eCustom->setEnabled(c.rbCustom->isChecked());
    SetAllEnabled({c.eBits, c.udBits, c.lblMultiturn, c.eMultiturn, c.udMultiturn}, c.rbDataLength->isChecked());
    c.cmbResolution->setEnabled(c.rbPredefined->isChecked());
}

// Protocol changed.
void TSettingsForm::rbSSIClick()
{
    auto& c = ui;
    const bool biss = c.rbBiSS->isChecked();
    const bool ssi = c.rbSSI->isChecked();
    c.gbFrequency->setTitle(biss ? "BiSS Frequency" : "SSI Frequency");
    SetAllEnabled({c.lblCRC, c.eCRCBits, c.udCRCBits}, biss);
    c.cbGrayCode->setEnabled(ssi);
    if (!ssi)
        SetChecked(c.cbGrayCode, false);
    SetAllEnabled({c.lblDetailedStatusBits, c.eDetailedStatusBits, c.udDetailedStatusBits}, ssi);
    applyPositionBitLimit();
}

// Padding, status, detailed status or CRC bits changed.
void TSettingsForm::eGeneralStatusBitsChange()
{
    auto& c = ui;
    const bool absolute = Context.absoluteInterface();
    const int32_t status = c.udGeneralStatusBits->position();
    c.cbShowStatusBits->setEnabled(absolute && (status > 0 || c.udDetailedStatusBits->position() > 0));
    if (!c.cbShowStatusBits->isEnabled())
        SetChecked(c.cbShowStatusBits, false);
    const bool colours = absolute && status == kGeneralStatusBitCount;
    c.cbShowStatusColor->setEnabled(colours);
    if (!colours)
        SetChecked(c.cbShowStatusColor, false);
    c.cbActiveLow->setEnabled(colours);
    applyPositionBitLimit();
}

// The frame budget bounds the position bits; the spinner pulls its position
// and its edit's text down with the maximum.
void TSettingsForm::applyPositionBitLimit()
{
    ui.udBits->setMaximum(PositionBitsLimit(ui.rbBiSS->isChecked(), FillingFrame.value_or(frameFields())));
}

TFrameFields TSettingsForm::frameFields() const
{
    const auto& c = ui;
    TFrameFields fields;
    fields.Multiturn = c.rbRotary->isChecked() ? c.udMultiturn->position() : 0; // a linear encoder has none
    fields.Padding = c.udPaddingBits->position();
    fields.Status = c.udGeneralStatusBits->position();
    fields.DetailedStatus = c.udDetailedStatusBits->position();
    fields.Crc = c.udCRCBits->position();
    return fields;
}

void TSettingsForm::eMultiturnChange()
{
    ui.cbSignedMultiTurn->setEnabled(ui.udMultiturn->position() > 0);
    applyPositionBitLimit();
}

void TSettingsForm::rbNominalClick()
{
    auto& c = ui;
    const bool dcr = c.rbDCR->isChecked();
    const bool nominal = c.rbNominal->isChecked();
    c.eNominalIncr->setEnabled(nominal && dcr);
    c.eBasicIncr->setEnabled(!nominal && dcr);
    c.rgPeriode->setEnabled(c.eBasicIncr->isEnabled());
}

void TSettingsForm::cbAutoSaveClick()
{
    auto& c = ui;
    SetAllEnabled({c.eSeconds, c.udSaveInterval, c.lblSeconds}, c.cbAutoSave->isChecked());
}

void TSettingsForm::cbInvertDirClick()
{
    SettingsChanged = true;
}

void TSettingsForm::HintImageClick()
{
    emit timingDiagramRequested(ui.rbBiSS->isChecked() ? TTimingDiagram::Biss : TTimingDiagram::Ssi);
}

// The checks on OK; a refused value keeps the dialog open with the focus on
// its edit. The custom CPR counts only for a rotary encoder.
void TSettingsForm::BtnOKClick()
{
    auto& c = ui;
    if (c.rbRotary->isChecked() && c.rbCustom->isChecked() && !CustomCprFromText(c.eCustom->text())) {
        QApplication::beep();
        c.eCustom->setFocus();
        return;
    }
    MarkSpacing.reset();
    if (c.rbDCR->isChecked() && !checkMarkSpacing())
        return;
    accept();
}

bool TSettingsForm::checkMarkSpacing()
{
    auto& c = ui;
    TMarkSpacing spacing;
    spacing.NominalIncrFlag = c.rbNominal->isChecked();
    spacing.PeriodLength = c.rgPeriode->itemIndex() == kPeriod5mmRow ? kPeriodLength5mm : kPeriodLength2mm;
    const std::optional<int32_t> increment = spacing.NominalIncrFlag
        ? NominalIncrementFromText(c.eNominalIncr->text())
        : NominalIncrementFromBasic(c.eBasicIncr->text(), spacing.PeriodLength);
    if (!increment) {
        if (spacing.NominalIncrFlag)
            refuse(c.eNominalIncr, "Nominal Increment must be an even positive integer.");
        else
            refuse(c.eBasicIncr, "Basic Increment must be divisible by 2 x Periode with no remainder.");
        return false;
    }
    spacing.NominalIncr = *increment;
    MarkSpacing = spacing;
    return true;
}

void TSettingsForm::refuse(QLineEdit* edit, const QString& message)
{
    QMessageBox box(QMessageBox::Warning, "Input Error", message, QMessageBox::Ok, this);
    box.exec();
    edit->setFocus();
}

std::array<QRadioButton*, 4> TSettingsForm::linearUnits() const
{
    return {ui.rbUnitMm, ui.rbUnitUm, ui.rbUnitInch, ui.rbUnitMil};
}

std::array<QRadioButton*, 3> TSettingsForm::rotaryUnits() const
{
    return {ui.rbUnitCounts, ui.rbUnitDegrees, ui.rbUnitDMS};
}

namespace {
// Checks the button of `index` and unchecks the others (all of them for an
// index out of range).
template <size_t N> void CheckIndex(const std::array<QRadioButton*, N>& buttons, int32_t index)
{
    for (size_t i = 0; i < N; ++i)
        SetChecked(buttons[i], int32_t(i) == index);
}

// Index of the checked button, 0 when none is.
template <size_t N> int32_t CheckedIndex(const std::array<QRadioButton*, N>& buttons)
{
    const auto checked = std::find_if(buttons.begin(), buttons.end(), [](QRadioButton* b) { return b->isChecked(); });
    return checked == buttons.end() ? 0 : int32_t(checked - buttons.begin());
}
} // namespace

void TSettingsForm::SetLinearUnit(int32_t index)
{
    CheckIndex(linearUnits(), index);
}

int32_t TSettingsForm::GetLinearUnit() const
{
    return CheckedIndex(linearUnits());
}

void TSettingsForm::SetRotaryUnit(int32_t index)
{
    CheckIndex(rotaryUnits(), index);
}

int32_t TSettingsForm::GetRotaryUnit() const
{
    return CheckedIndex(rotaryUnits());
}

} // namespace k740

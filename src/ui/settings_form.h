#pragma once
#include "settings/dialog_context.h"
#include "settings/dialog_read_back.h"
#include "settings/encoder_settings.h"
#include "ui/settings_form_controls.h"
#include "ui/timing_diagram.h"

#include <QDialog>
#include <array>
#include <initializer_list>
#include <optional>

class QAbstractButton;
class QLineEdit;
class QRadioButton;

namespace k740 {

// "K740 Settings": the modal dialog in which the user edits the encoder,
// frame, display and recording settings. It works on copies: nothing the
// caller owns changes before OK, and Cancel returns nothing.
class TSettingsForm : public QDialog {
    Q_OBJECT
public:
    explicit TSettingsForm(QWidget* mainWindow);
    ~TSettingsForm() override;

    // Fills the dialog, shows it modally and returns the edited values on OK.
    std::optional<TSettingsDialogResult> edit(
        const TEncoderSettings& active, const TRunChoices& run, const TSettingsDialogContext& context);
    // The halves of edit() around the modal loop. `active` already carries
    // ShowRefMarks true outside layout edit mode.
    void fill(const TEncoderSettings& active, const TRunChoices& run, const TSettingsDialogContext& context);
    TSettingsDialogResult readBack() const;

    void setInfoText(const QString& text);
    void setAutoSaveHint(const QString& hint);

    const TSettingsFormControls& controls() const { return ui; }

    void done(int result) override;

signals:
    void timingDiagramRequested(k740::TTimingDiagram which);
    void timingDiagramDismissed();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    using THandler = void (TSettingsForm::*)();
    void connectHandlers();
    void connectClick(std::initializer_list<QAbstractButton*> controls, THandler handler);
    void connectTextChange(std::initializer_list<QLineEdit*> edits, THandler handler);

    void FormCreate();
    void FormShow();
    void FormClose();
    bool FormKeyPress(int key);

    void fillEncoder();
    void fillRecording();
    void fillFrame();
    void fillMarksAndMultiturn();
    void placeButtons();
    QSize designedSize() const;
    void layOut(QSize client);
    void fitToScreen(const QRect& area, QSize frame);

    void rbLinearClick();
    void rbSSIClick();
    void rbPredefinedClick();
    void rbNominalClick();
    void eGeneralStatusBitsChange();
    void eMultiturnChange();
    void cbInvertDirClick();
    void cbAutoSaveClick();
    void HintImageClick();
    void BtnOKClick();
    void FillResolutionList(bool rotary);
    void FillCppList();
    void placePositionBits(bool rotary);
    void applyPositionBitLimit();
    TFrameFields frameFields() const;
    bool checkMarkSpacing();
    void refuse(QLineEdit* edit, const QString& message);

    std::array<QRadioButton*, 4> linearUnits() const;
    std::array<QRadioButton*, 3> rotaryUnits() const;
    void SetLinearUnit(int32_t index);
    int32_t GetLinearUnit() const;
    void SetRotaryUnit(int32_t index);
    int32_t GetRotaryUnit() const;

    TSettingsDialogValues values() const;

    TSettingsFormControls ui;
    TEncoderSettings Active; // this opening's copy
    TRunChoices Run;
    TSettingsDialogContext Context;
    std::optional<TMarkSpacing> MarkSpacing; // accepted by the last OK check
    TSettingsDialogValues Opened;            // the controls as this opening filled them
    // While the dialog is filled, the frame being filled in: the other
    // spinners may still show the last opening's values.
    std::optional<TFrameFields> FillingFrame;
    bool SettingsChanged = false;
};

} // namespace k740

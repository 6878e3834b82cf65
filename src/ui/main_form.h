#pragma once
#include "acquisition/interface_session.h"
#include "settings/settings_file.h"
#include "ui/main_form_controls.h"

#include <QStringList>
#include <QWidget>

namespace k740 {

class TComPortForm;
class TSettingsForm;

// The main window: the position read-out, the status bars and the timers
// that search for the interface and poll it. Window events and timer ticks
// call the handlers below; they ask the interface session and put its
// answer into the controls.
class TMainForm : public QWidget {
    Q_OBJECT
public:
    TMainForm(IPortProvider& ports, const QStringList& arguments, const QString& programDir);
    ~TMainForm() override;

    void setDialogs(TComPortForm* comPortForm, TSettingsForm* settingsForm);

    // Start-up and exit steps.
    void FormCreate();
    void FormDestroy();

    // Timer handlers.
    void initTimerTimer();
    void LoopTimerTimer();
    void BlinkTriggerTimer();
    void TrigTimerTimer();

    // Pointer handlers.
    void bbZeroClick();
    void PosPanelClick();
    void bbZeroRefClick();
    void ExtStPanel2DblClick();
    void ExtStPanel3DblClick();
    // A typed character; Esc cancels homing.
    void FormKeyPress(QChar key);

    // Layout passes.
    void FormShow();
    void FormResize();

    // F2: appends the read-out's text to the capture list when it shows one,
    // the list is shown and holds fewer than kMaxCaptureLines lines; true
    // when a line was added.
    bool CaptureReadOut();
    QStringList CapturedLines() const;
    static constexpr int kMaxCaptureLines = 10000;

    const TInterfaceSession& session() const { return Session; }
    const TMainFormControls& controls() const { return ui; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void connectHandlers();
    void connectTo(const QString& portName);
    void ApplySettings(bool dcrWasOn);
    void restoreLayoutFromSettings();
    void saveSettings();
    WindowGeometry liveGeometry() const;

    void showReadOut();
    void showRefReadOut();
    void showRow(bool relayout = false);
    void fitPositionText(const QString& text);
    void showCycle(const TCycleResult& cycle);
    void linkLost();
    void flashReference();
    void setSummary(const QString& text, bool settingsStyle);
    void showMessage(const QString& text);

    void layoutRow();
    void placeHomeButton();
    void placeExtendedFields();
    void SetLogoMode(int mode);
    void PlaceStatusColour();
    void PlaceCaptureList();
    int captureLineCount() const;

    TMainFormControls ui;
    TInterfaceSession Session;
    TComPortForm* ComPortForm = nullptr;
    TSettingsForm* SettingsForm = nullptr;

    WindowGeometry SavedPanelGeometry;
    int32_t FittedFontSize = 72;
    bool GeometryRestored = false;
    bool FirstShowDone = false;
    bool BlankSummary = false;
    bool CursorRestored = false;
    bool Destroyed = false;
    bool RecordingOptionsVisible = true;
};

} // namespace k740

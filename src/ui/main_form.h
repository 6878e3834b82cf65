#pragma once
#include "acquisition/interface_session.h"
#include "settings/settings_file.h"
#include "ui/main_form_controls.h"

#include <QFontMetrics>
#include <QSet>
#include <QStringList>
#include <QWidget>
#include <map>

namespace k740 {

class TComPortForm;
class TSettingsForm;
struct TSettingsDialogResult;

// The main window: the position read-out, the status bars and the timers
// that search for the interface and poll it. Window events and timer ticks
// call the handlers below; they ask the interface session and put its
// answer into the controls.
class TMainForm : public QWidget {
    Q_OBJECT
public:
    TMainForm(IPortProvider& ports, const QStringList& arguments, const DataFolders& folders);
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
    // Clicks ZERO when it is visible and enabled (a click on the read-out, a
    // request of the position service); true when it did.
    bool ClickZeroIfAvailable();
    void bbZeroRefClick();
    void ExtStPanel2DblClick();
    void ExtStPanel3DblClick();
    void StPanel3DblClick();
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
    void applyDialogResult(const TSettingsDialogResult& result, bool dcrWasOn);

    void showReadOut();
    void showRefReadOut();
    void showRow(bool relayout = false);
    void fitPositionText(const QString& text);
    void showCycle(const TCycleResult& cycle);
    void linkLost();
    void flashReference();
    void setSummary(const QString& text, bool settingsStyle);
    void clearSummary();
    void showMessage(const QString& text);
    void showOpenFailure(int errorCode, const QString& portName);

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
    QSet<QString> PermissionReported;           // ports whose permission problem went to stderr
    std::map<int, QFontMetrics> ReadOutMetrics; // read-out font by point size, for text fitting
    int32_t FittedFontSize = 72;
    bool GeometryRestored = false;
    bool FirstShowDone = false;
    bool BlankSummary = false;
    bool SettingsSummaryShown = false; // the summary shows the settings, so a double click edits them
    bool CursorRestored = false;
    bool Destroyed = false;
    bool RecordingOptionsVisible = true;
};

} // namespace k740

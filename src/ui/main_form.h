#pragma once
#include "acquisition/connection_hint.h"
#include "acquisition/interface_session.h"
#include "acquisition/poll_loop.h"
#include "settings/settings_file.h"
#include "ui/layout_rules.h"
#include "ui/main_form_controls.h"
#include "ui/widgets/sizer_types.h"

#include <QMessageBox>
#include <QStringList>
#include <QWidget>
#include <optional>

namespace k740 {

class TComPortForm;
class TMoveSizer;
class TSettingsForm;
struct TSettingsDialogResult;

// The main window: the position read-out and the status bars. It shows what
// the poll loop's searches and cycles publish; window events and its own
// timers call the handlers below, which ask the interface session and put
// its answer into the controls.
//
// Keyboard preview: the window's key handlers see every key typed into any of
// its controls before that control does, and leave it to the control.
class TMainForm : public QWidget, public ITKeyPreview {
    Q_OBJECT
public:
    TMainForm(TInterfaceSession& session, TPollLoop& loop);
    ~TMainForm() override;

    void setDialogs(TComPortForm* comPortForm, TSettingsForm* settingsForm);

    // Start-up and exit steps. FormDestroy returns false when the exit save
    // failed.
    void FormCreate();
    bool FormDestroy();
    // A termination signal: the window closes and every dialog's loop ends;
    // from then on failures go to standard error instead of a message box,
    // so that nothing waits for a user who is gone.
    void closeOnSignal();

    // Timer handlers.
    void BlinkTriggerTimer();
    void TrigTimerTimer();

    // Pointer handlers.
    void bbZeroClick();
    void PosPanelClick();
    void bbZeroRefClick();
    void ExtStPanel2DblClick();
    void ExtStPanel3DblClick();
    void StPanel3DblClick();
    void Image1DblClick();

    // Keyboard preview handlers; none of them consumes the key.
    // F2 (with any modifiers) captures the read-out.
    void FormKeyDown(int key, Qt::KeyboardModifiers shift);
    // A typed character; Esc cancels homing.
    void FormKeyPress(QChar key);
    // Ctrl+Shift+D shows or hides the capture list, Ctrl+Shift+A the
    // recording options of the settings dialog; the modifiers are those held
    // when the letter is released, and must be exactly Ctrl and Shift.
    void FormKeyUp(int key, Qt::KeyboardModifiers shift);

    // Layout passes; also run by the settings change cycle.
    void FormShow();
    void FormResize();
    void SetLogoMode(int mode);
    void PlaceCaptureList();

    // The automatic capture at the end of every acquisition cycle.
    void autoCaptureStep();
    bool recordingOptionsVisible() const { return RecordingOptionsVisible; }

    const TInterfaceSession& session() const { return Session; }
    const TMainFormControls& controls() const { return ui; }
    const TMoveSizer& moveSizer() const { return *ScPos; }

    bool previewKeyDown(QKeyEvent* event) override;
    void setVisible(bool visible) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectHandlers();
    void showSearchStart();
    void showSearchResult(const TSearchResult& result);
    void showConnection(const TSearchResult& result);
    // Puts the settings in force and shows them.
    void ApplySettings(bool dcrWasOn);
    void showAppliedSettings(const TApplyResult& applied);
    void restoreLayoutFromSettings();
    void restoreWindowBounds(const TBounds& stored);
    bool saveSettings();
    TWindowGeometry liveGeometry() const;
    void applyDialogResult(const TSettingsDialogResult& result, bool dcrWasOn);

    void showReadOut();
    void showRefReadOut();
    void showRow(bool relayout = false);
    void fitPositionText(const QString& text);
    void followCycle(const TCycleResult& cycle);
    void showCycle(const TCycleResult& cycle);
    // The link quality figures as the connection field's hint, at most once
    // a second, unless the permission hint is shown there.
    void showLinkFigures();
    void linkLost();
    void flashReference();
    void setSummary(const QString& text, bool settingsStyle);
    void clearSummary();
    // A modal message box (on standard error when closing on a signal);
    // polling pauses while it is open. The title defaults to the window's.
    void showMessage(const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon, QString title = {});
    void showOpenFailure(const QString& portName, const TLinkResult& result, qint64 holderPid);
    void showZeroFailure(const TLinkResult& result);

    void layoutRow();
    int rowWidth(int width) const;
    bool panelPlacedByUser() const;
    void placeHomeButton(int height);
    void keepPanelReachable(const TPanelBounds& placed);
    TPanelBounds placedPanel() const;
    void placeExtendedFields();
    void PlaceStatusColour();
    void connectCaptureList();
    // The capture list's text box changed: unless for a captured line, the
    // user edited it, and the session's list follows.
    void followCaptureEdits();
    // Shows a line the session captured.
    void showCapture(const QString& line);
    void showCaptureList(bool shown);

    QRect usableArea() const;
    TSizeLimits applyScreenLimits();
    void followScreen();
    // Bounds and size limits of the window's frame (title bar and borders
    // included), which Qt knows only once the window manager has framed it.
    QSize frameExtra() const;
    // The frame's bounds, or those it goes back to from maximised or full
    // screen; where the platform tells no window its position, at the
    // position the program last asked for.
    QRect outerNormalBounds() const;
    void setOuterBounds(const QRect& outer);
    void setOuterLimits(const QSize& minimum, const QSize& maximum);
    void applyOuterLimits();
    void followFrameMargins();
    bool keyPreviewed(QObject* receiver, QEvent* event) const;

    TMainFormControls ui;
    TInterfaceSession& Session;
    TPollLoop& Loop;
    TComPortForm* ComPortForm = nullptr;
    TSettingsForm* SettingsForm = nullptr;

    TMoveSizer* ScPos = nullptr; // moves and resizes the read-out in layout edit mode
    TWindowGeometry SavedPanelGeometry;
    // Stored bounds the program changed, and the bounds it showed instead:
    // saved as stored while they stay as shown. For the panel, bounds wholly
    // outside the body; for the window, bounds off every screen or beyond
    // the screen's limits.
    struct TBroughtBack {
        TBounds Saved;
        QRect Shown;
    };
    std::optional<TBroughtBack> PanelBroughtBack;
    std::optional<TBroughtBack> WindowBroughtBack;
    QSize OuterMinimum{0, 0};
    QSize OuterMaximum{QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    QMargins FrameMargins;          // the frame around the client area, once framed
    QPoint RequestedPosition;       // of the frame, as last asked for
    TConnectionHint ConnectionHint; // the hint of the connection field StPanel2
    int32_t FittedFontSize = kDesignFontPoints;
    // What the read-out's font was last fitted to, and the size it got:
    // fitting the same text to the same width again gives the same size.
    struct TFontFit {
        QString Text;
        int Width = -1;
        bool Sticky = false;
        int32_t Size = 0;
    };
    TFontFit LastFit;
    bool GeometryRestored = false;
    bool FirstShowDone = false;
    bool Framed = false;
    bool BlankSummary = false;
    bool SettingsSummaryShown = false; // the summary shows the settings, so a double click edits them
    bool CursorRestored = false;
    bool Destroyed = false;
    bool ClosingOnSignal = false;
    bool RecordingOptionsVisible = true;
    bool ShowingCapture = false; // the text box changes for a captured line, not by the user
};

} // namespace k740

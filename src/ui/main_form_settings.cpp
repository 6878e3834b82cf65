// The settings change cycle, the layout kept with the settings, and the save
// at exit.
#include "ui/main_form.h"

#include "ui/screen_area.h"
#include "ui/settings_form.h"
#include "ui/widgets/panel.h"
#include "ui/window_system.h"

#include <QPlainTextEdit>
#include <QTimer>

namespace k740 {

TWindowGeometry TMainForm::liveGeometry() const
{
    const QRect live = outerNormalBounds();
    // A window the program brought onto a screen keeps its stored bounds until it is moved.
    const TBounds outer
        = WindowBroughtBack && live == WindowBroughtBack->Shown ? WindowBroughtBack->Saved : BoundsOf(live);
    TWindowGeometry g;
    g.Top = outer.Top;
    g.Left = outer.Left;
    g.Width = outer.Width;
    g.Height = outer.Height;
    g.LogoFlag = Session.options().LogoMode;
    const TPanelBounds panel = placedPanel();
    g.PanelWidth = panel.Width;
    g.PanelLeft = panel.Left;
    g.PanelTop = panel.Top;
    g.PanelHeight = panel.Height;
    return g;
}

bool TMainForm::saveSettings()
{
    const QString error = Session.saveSettings(liveGeometry());
    if (!error.isEmpty())
        showMessage(error);
    return error.isEmpty();
}

// Layout edit mode: logo, window bounds and panel geometry come from the file.
void TMainForm::restoreLayoutFromSettings()
{
    const TWindowGeometry& stored = Session.storedSettings().Layout;
    SavedPanelGeometry = stored;
    // The stored value becomes the logo mode even when SetLogoMode cannot
    // apply it, and is saved back as it was.
    Session.recordLogoMode(stored.LogoFlag);
    SetLogoMode(stored.LogoFlag);
    restoreWindowBounds({stored.Left, stored.Top, stored.Width, stored.Height});
}

// Stored bounds off every screen (a monitor that is gone) are brought onto
// the nearest one; the screen's limits may change the size too.
void TMainForm::restoreWindowBounds(const TBounds& stored)
{
    const TBounds shown = WindowPositionsKnown() ? BroughtOnScreen(stored, UsableAreas()) : stored;
    setOuterLimits({0, 0}, OuterMaximum);
    setOuterBounds(RectOf(shown));
    GeometryRestored = true;
    FormShow();
    const QRect live = outerNormalBounds();
    WindowBroughtBack.reset();
    if (live != RectOf(stored))
        WindowBroughtBack = TBroughtBack{stored, live};
}

// Edits the settings while polling pauses; OK commits, saves and applies them.
// A second double click queued while the dialog is open is dropped, as the
// open dialog blocks the window's input.
void TMainForm::StPanel3DblClick()
{
    if (!SettingsSummaryShown || !SettingsForm || SettingsForm->isVisible())
        return;
    const bool dcrWasOn = Session.activeSettings().DCR;
    const TPollingPause pause(Session);
    if (Session.options().LayoutEditMode)
        SavedPanelGeometry = liveGeometry();
    Session.prepareSettingsEdit();
    if (const auto result = SettingsForm->edit(
            Session.activeSettings(), Session.runChoices(), Session.settingsDialogContext(RecordingOptionsVisible)))
        applyDialogResult(*result, dcrWasOn);
    FormResize();
    FittedFontSize = kDesignFontPoints;
}

void TMainForm::applyDialogResult(const TSettingsDialogResult& result, bool dcrWasOn)
{
    Session.acceptSettings(result);
    if (Session.options().LayoutEditMode) {
        SetLogoMode(Session.options().LogoMode);
        FormShow();
    }
    saveSettings();
    showCaptureList(result.Run.AutoCapture);
    ApplySettings(dcrWasOn);
    showRefReadOut(); // in the unit now in force
}

} // namespace k740

// The layout kept with the settings, and the save at exit.
#include "ui/main_form.h"

#include "ui/widgets/panel.h"

namespace k740 {

WindowGeometry TMainForm::liveGeometry() const
{
    WindowGeometry g;
    g.Top = y();
    g.Left = x();
    g.Width = frameGeometry().width();
    g.Height = frameGeometry().height();
    g.LogoFlag = Session.options().LogoMode;
    g.PanelWidth = ui.PosPanel->width();
    g.PanelLeft = ui.PosPanel->x();
    g.PanelTop = ui.PosPanel->y();
    g.PanelHeight = ui.PosPanel->height();
    return g;
}

void TMainForm::saveSettings()
{
    const QString error = Session.saveSettings(liveGeometry());
    if (!error.isEmpty())
        showMessage(error);
}

// Layout edit mode: logo, window bounds and panel geometry come from the file.
void TMainForm::restoreLayoutFromSettings()
{
    const TEncoderSettings& stored = Session.storedSettings();
    SavedPanelGeometry.PanelWidth = stored.Panel_Width;
    SavedPanelGeometry.PanelLeft = stored.Panel_Left;
    SavedPanelGeometry.PanelTop = stored.Panel_Top;
    SavedPanelGeometry.PanelHeight = stored.Panel_Height;
    // The stored value becomes the logo mode even when SetLogoMode cannot
    // apply it, and is saved back as it was.
    Session.setLogoMode(stored.Logo_Flag);
    SetLogoMode(stored.Logo_Flag);
    setOuterLimits({0, 0}, OuterMaximum);
    setOuterBounds({stored.Position_Left, stored.Position_Top, stored.Position_Width, stored.Position_Height});
    GeometryRestored = true;
    FormShow();
}

} // namespace k740

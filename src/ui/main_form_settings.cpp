// Settings of the connected port: loading at connection, saving at exit.
#include "ui/main_form.h"

#include "ui/panel.h"

#include <QMessageBox>

namespace k740 {

SettingsLocation TMainForm::settingsLocation() const
{
    SettingsLocation where;
    where.ProgramDir = ProgramDir;
    where.PortName = Identity.PortName;
    where.SerialFilter = Options.SerialFilter;
    where.LayoutEditMode = Options.LayoutEditMode;
    return where;
}

WindowGeometry TMainForm::liveGeometry() const
{
    WindowGeometry g;
    g.Top = y();
    g.Left = x();
    g.Width = frameGeometry().width();
    g.Height = frameGeometry().height();
    g.LogoFlag = Options.LogoMode;
    g.PanelWidth = PosPanel->width();
    g.PanelLeft = PosPanel->x();
    g.PanelTop = PosPanel->y();
    g.PanelHeight = PosPanel->height();
    return g;
}

void TMainForm::loadSettings()
{
    QStringList errors;
    StoredSettings = LoadSettings(settingsLocation(), liveGeometry(), &errors);
    errors.removeDuplicates();
    for (const QString& error : errors)
        QMessageBox::critical(this, windowTitle(), error);
    ActiveSettings = ActivateSettings(StoredSettings, Identity);
    SavedPanelGeometry.PanelWidth = ActiveSettings.Panel_Width;
    SavedPanelGeometry.PanelLeft = ActiveSettings.Panel_Left;
    SavedPanelGeometry.PanelTop = ActiveSettings.Panel_Top;
    SavedPanelGeometry.PanelHeight = ActiveSettings.Panel_Height;
}

void TMainForm::saveSettings()
{
    const QString error = SaveSettings(settingsLocation(), StoredSettings, liveGeometry());
    if (!error.isEmpty())
        QMessageBox::warning(this, windowTitle(), error);
}

// Layout edit mode: logo, window bounds and panel geometry come from the file.
void TMainForm::restoreLayoutFromSettings()
{
    SetLogoMode(StoredSettings.Logo_Flag);
    setMinimumSize(0, 0);
    const int frameExtra = frameGeometry().height() - height();
    const int frameWidth = frameGeometry().width() - width();
    setGeometry(StoredSettings.Position_Left, StoredSettings.Position_Top, StoredSettings.Position_Width - frameWidth,
        StoredSettings.Position_Height - frameExtra);
    GeometryRestored = true;
    FormShow();
}

} // namespace k740

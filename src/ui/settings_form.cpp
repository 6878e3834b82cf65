#include "ui/settings_form.h"

#include <QCheckBox>
#include <QLabel>

namespace k740 {

TSettingsForm::TSettingsForm(QWidget *mainWindow) : QDialog(mainWindow) {
  setWindowTitle("K740 Settings");
  resize(433, 753);
  cbAutoSave = new QCheckBox("Save position to a file every", this);
  cbAutoSave->setGeometry(20, 584, 200, 17);
  InfoPanel = new QLabel(this);
  InfoPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  InfoPanel->setGeometry(0, height() - 19, width(), 19);
}

} // namespace k740

#pragma once
#include <QDialog>

class QCheckBox;
class QLabel;

namespace k740 {

// "K740 Settings" dialog. So far it carries the parts the connection fills:
// the information strip and the auto-save check box with its file-name hint.
class TSettingsForm : public QDialog {
  Q_OBJECT
public:
  explicit TSettingsForm(QWidget *mainWindow);

  QLabel *InfoPanel;
  QCheckBox *cbAutoSave;
};

} // namespace k740

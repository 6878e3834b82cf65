#pragma once
#include <QDialog>

namespace k740 {

// Timing-diagram window, created at start and shown from the settings dialog.
class TImageForm : public QDialog {
  Q_OBJECT
public:
  explicit TImageForm(QWidget *parent);
};

} // namespace k740

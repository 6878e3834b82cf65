#include "ui/image_form.h"

namespace k740 {

TImageForm::TImageForm(QWidget *parent) : QDialog(parent) {
  setWindowTitle(QString());
  resize(500, 396);
}

} // namespace k740

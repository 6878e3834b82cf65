#include "ui/image_form.h"

TImageForm::TImageForm(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString());
    resize(500, 396);
}

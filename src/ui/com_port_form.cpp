#include "ui/com_port_form.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace k740 {

namespace {
constexpr int kGroupLeft = 8;
constexpr int kGroupTop = 8;
constexpr int kGroupWidth = 185;
constexpr int kButtonLeft = 205;
} // namespace

TComPortForm::TComPortForm(QWidget* mainWindow)
    : QDialog(mainWindow)
    , MainWindow(mainWindow)
{
    setWindowTitle("COM Port");
    setModal(true);
    rgCOM = new QGroupBox("Select COM port", this);
    RgComLayout = new QVBoxLayout(rgCOM);
    Buttons = new QButtonGroup(this);
    Label1 = new QLabel("COM Port 1", this);
    Label1->hide();
    Button1 = new QPushButton("OK", this);
    Button1->setDefault(true);
    Button2 = new QPushButton("Cancel", this);
    rgCOM->move(kGroupLeft, kGroupTop);
    rgCOM->setFixedWidth(kGroupWidth);
    Button1->setGeometry(kButtonLeft, kGroupTop + 8, 75, 25);
    Button2->setGeometry(kButtonLeft, kGroupTop + 40, 75, 25);
    setFixedWidth(kButtonLeft + 75 + kGroupLeft);
    connect(Button1, &QPushButton::clicked, this, &TComPortForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    clearItems();
}

void TComPortForm::clearItems()
{
    for (QAbstractButton* b : Buttons->buttons()) {
        Buttons->removeButton(b);
        delete b;
    }
    Items.clear();
}

void TComPortForm::addItem(const QString& portName)
{
    auto* radio = new QRadioButton(portName, rgCOM);
    RgComLayout->addWidget(radio);
    Buttons->addButton(radio, Items.size());
    Items.append(portName);
}

QStringList TComPortForm::items() const
{
    return Items;
}

int TComPortForm::itemIndex() const
{
    return Buttons->checkedId();
}

void TComPortForm::setItemIndex(int index)
{
    if (QAbstractButton* b = Buttons->button(index))
        b->setChecked(true);
}

QString TComPortForm::choose(const QStringList& ports)
{
    clearItems();
    for (const QString& p : ports)
        addItem(p);
    if (exec() != QDialog::Accepted)
        return {};
    const int index = itemIndex();
    return index >= 0 ? Items.at(index) : QString();
}

void TComPortForm::Button1Click()
{
    if (itemIndex() >= 0)
        accept();
}

void TComPortForm::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TComPortForm::FormShow()
{
    const double height = (Items.size() + 1) * Label1->sizeHint().height() * 1.5;
    rgCOM->setFixedHeight(std::max(int(std::nearbyint(height)), rgCOM->minimumSizeHint().height()));
    setFixedHeight(std::max(rgCOM->height() + 2 * rgCOM->y(), Button2->y() + Button2->height() + kGroupTop));
    if (MainWindow)
        move(MainWindow->x() + 20, MainWindow->y() + 40);
}

} // namespace k740

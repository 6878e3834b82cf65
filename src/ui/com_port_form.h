#pragma once
#include <QDialog>
#include <QStringList>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace k740 {

// "COM Port" dialog: lets the user pick one of several answering interfaces.
class TComPortForm : public QDialog {
    Q_OBJECT
public:
    explicit TComPortForm(QWidget* mainWindow);

    // Empties the list; the selection goes with it.
    void clearItems();
    void addItem(const QString& portName);
    QStringList items() const;
    int itemIndex() const;
    void setItemIndex(int index);

    // Shows the dialog modally with `ports`; the chosen port, or empty on Cancel.
    QString choose(const QStringList& ports);

    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    QWidget* MainWindow;
    QGroupBox* rgCOM;
    QVBoxLayout* RgComLayout;
    QButtonGroup* Buttons;
    QLabel* Label1;
    QPushButton* Button1;
    QPushButton* Button2;
    QStringList Items;
};

} // namespace k740

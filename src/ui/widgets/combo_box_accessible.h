#pragma once
#include <QAccessibleWidget>

class QComboBox;

namespace k740 {

// What assistive technology sees of a drop-down list: named by its caption
// (its own accessible name, the label whose buddy it is, or the title of
// the group it stands in), its value the row it shows, its child the list
// it drops down. Qt's own interface names a list by the row it shows on
// Linux, which leaves the list without its caption.
class TComboBoxAccessible : public QAccessibleWidget {
public:
    explicit TComboBoxAccessible(QComboBox* box);
    QString text(QAccessible::Text kind) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    QComboBox* box() const;
};

// Makes Qt create a TComboBoxAccessible for every QComboBox; once is enough.
void InstallComboBoxAccessibility();

} // namespace k740

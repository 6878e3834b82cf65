#include "ui/widgets/combo_box_accessible.h"

#include <QAbstractItemView>
#include <QComboBox>

namespace k740 {

namespace {
QAccessibleInterface* ComboBoxFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("QComboBox") && object->isWidgetType())
        return new TComboBoxAccessible(static_cast<QComboBox*>(object));
    return nullptr;
}
} // namespace

TComboBoxAccessible::TComboBoxAccessible(QComboBox* box)
    : QAccessibleWidget(box, QAccessible::ComboBox)
{
}

QComboBox* TComboBoxAccessible::box() const
{
    return static_cast<QComboBox*>(widget());
}

// Without a caption, the row shown names the list, as Qt names it.
QString TComboBoxAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value)
        return box()->currentText();
    const QString text = QAccessibleWidget::text(kind);
    return kind == QAccessible::Name && text.isEmpty() ? box()->currentText() : text;
}

int TComboBoxAccessible::childCount() const
{
    return 1;
}

QAccessibleInterface* TComboBoxAccessible::child(int index) const
{
    return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
}

int TComboBoxAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    return child && child->object() == box()->view() ? 0 : -1;
}

QStringList TComboBoxAccessible::actionNames() const
{
    return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
}

// Opens the list, or closes it when it is open.
void TComboBoxAccessible::doAction(const QString& actionName)
{
    if (actionName != showMenuAction() && actionName != pressAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    if (box()->view()->isVisible())
        box()->hidePopup();
    else
        box()->showPopup();
}

void InstallComboBoxAccessibility()
{
    static const bool kInstalled = [] {
        QAccessible::installFactory(ComboBoxFactory);
        return true;
    }();
    Q_UNUSED(kInstalled);
}

} // namespace k740

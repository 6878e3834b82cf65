#include "ui/widgets/read_out_accessible.h"

#include "ui/widgets/read_out.h"

namespace k740 {

namespace {
QAccessibleInterface* ReadOutFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(TReadOut::staticMetaObject.className()) && object->isWidgetType())
        return new TReadOutAccessible(static_cast<TReadOut*>(object));
    return nullptr;
}
} // namespace

TReadOutAccessible::TReadOutAccessible(TReadOut* readOut)
    : QAccessibleWidget(readOut, QAccessible::StaticText)
{
}

QString TReadOutAccessible::text(QAccessible::Text kind) const
{
    const QString shown = static_cast<const TReadOut*>(widget())->text();
    if (kind == QAccessible::Value)
        return shown;
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
        return shown;
    return QAccessibleWidget::text(kind);
}

void InstallReadOutAccessibility()
{
    static const bool kInstalled = [] {
        QAccessible::installFactory(ReadOutFactory);
        return true;
    }();
    Q_UNUSED(kInstalled);
}

} // namespace k740

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

const QString& TReadOutAccessible::shown() const
{
    return static_cast<const TReadOut*>(widget())->text();
}

QString TReadOutAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value)
        return shown();
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
        return shown();
    return QAccessibleWidget::text(kind);
}

QAccessible::State TReadOutAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    return state;
}

void* TReadOutAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

// An end of -1 is the end of the text.
QString TReadOutAccessible::text(int startOffset, int endOffset) const
{
    return shown().mid(startOffset, endOffset < 0 ? -1 : endOffset - startOffset);
}

int TReadOutAccessible::characterCount() const
{
    return int(shown().size());
}

void TReadOutAccessible::selection(int, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = 0;
}

QString TReadOutAccessible::attributes(int, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
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

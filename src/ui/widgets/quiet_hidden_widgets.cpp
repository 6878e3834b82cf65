#include "ui/widgets/quiet_hidden_widgets.h"

#include <QAccessible>
#include <QWidget>
#include <unordered_set>

namespace k740 {

namespace {

QAccessible::UpdateHandler gNext = nullptr;
// Widgets whose changes were kept back while they were hidden. A widget
// destroyed meanwhile may leave its address here; at worst a new widget
// there announces its name once more.
std::unordered_set<const QObject*> gKeptBack;

bool ContentChange(QAccessible::Event type)
{
    switch (type) {
    case QAccessible::NameChanged:
    case QAccessible::DescriptionChanged:
    case QAccessible::ValueChanged:
    case QAccessible::TextInserted:
    case QAccessible::TextRemoved:
    case QAccessible::TextUpdated:
    case QAccessible::TextCaretMoved:
    case QAccessible::TextSelectionChanged:
    case QAccessible::TextAttributeChanged:
    case QAccessible::TextColumnChanged:
        return true;
    default:
        return false;
    }
}

bool Hidden(const QObject* object)
{
    return object && object->isWidgetType() && !static_cast<const QWidget*>(object)->isVisible();
}

void Filter(QAccessibleEvent* event);

// To the handler installed before, or else on to the platform's bridge (Qt
// hands an event to the bridge while no handler is installed).
void PassOn(QAccessibleEvent* event)
{
    if (gNext) {
        gNext(event);
        return;
    }
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(Filter);
}

void Filter(QAccessibleEvent* event)
{
    QObject* object = event->object();
    if (ContentChange(event->type()) && Hidden(object)) {
        gKeptBack.insert(object);
        return;
    }
    PassOn(event);
    if (event->type() == QAccessible::ObjectShow && gKeptBack.erase(object) > 0) {
        QAccessibleEvent named(object, QAccessible::NameChanged);
        PassOn(&named);
    }
}

} // namespace

void QuietHiddenWidgets()
{
    static const bool kInstalled = [] {
        gNext = QAccessible::installUpdateHandler(Filter);
        return true;
    }();
    Q_UNUSED(kInstalled);
}

} // namespace k740

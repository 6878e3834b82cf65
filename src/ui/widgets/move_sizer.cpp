// Construction, properties, registration and selection of the move/resize component.
#include "ui/widgets/move_sizer.h"

#include "ui/widgets/grab_handle.h"
#include "ui/widgets/press_watcher.h"
#include "ui/widgets/sizer_entry.h"
#include "ui/widgets/sizer_target.h"

#include <QMouseEvent>
#include <QWidget>
#include <algorithm>
#include <stdexcept>

namespace k740 {

namespace {

QWidget* WindowedOwner(QObject* owner)
{
    auto* widget = qobject_cast<QWidget*>(owner);
    if (!widget)
        throw std::invalid_argument("TMoveSizer.Create: Owner must be a windowed control");
    return widget;
}

template <typename Records> int IndexOf(const Records& records, const QObject* control)
{
    const auto found = std::find_if(
        records.begin(), records.end(), [control](const auto& record) { return record->control() == control; });
    return found == records.end() ? -1 : int(found - records.begin());
}

} // namespace

TMoveSizer::TMoveSizer(QObject* owner)
    : QObject(WindowedOwner(owner))
    , Owner(static_cast<QWidget*>(owner))
{
}

TMoveSizer::~TMoveSizer()
{
    endTracking();
    Targets.clear();
    Entries.clear();
    FormHook.reset();
    PressWatcher.reset();
}

void TMoveSizer::setMoveOnly(bool moveOnly)
{
    if (moveOnly == MoveOnlyValue)
        return;
    MoveOnlyValue = moveOnly;
    restyleHandles();
}

void TMoveSizer::setBtnColor(const QColor& colour)
{
    if (colour == BtnColorValue)
        return;
    BtnColorValue = colour;
    restyleHandles();
}

void TMoveSizer::setBtnColorDisabled(const QColor& colour)
{
    if (colour == BtnColorDisabledValue)
        return;
    BtnColorDisabledValue = colour;
    restyleHandles();
}

void TMoveSizer::setGridSize(int gridSize)
{
    GridSizeValue = gridSize;
}

void TMoveSizer::setMultiTargetResize(bool multiTargetResize)
{
    if (multiTargetResize == MultiTargetResizeValue)
        return;
    MultiTargetResizeValue = multiTargetResize;
    restyleHandles();
}

void TMoveSizer::setPopupMenu(QMenu* menu)
{
    PopupMenuValue = menu;
}

void TMoveSizer::setActive(bool active)
{
    if (active == ActiveValue)
        return;
    cancelDrag();
    ActiveValue = active;
    DeselectAll();
    if (active) {
        FormHook = std::make_unique<TSizerEntry>(this, form());
        FormHook->hook(this);
        watchDeletion(form());
        for (const auto& entry : Entries)
            entry->hook(this);
        PressWatcher = std::make_unique<TPressWatcher>([this](QWidget* receiver, QMouseEvent* event) {
            childPressed(receiver, event->globalPosition().toPoint(), event->modifiers().testFlag(Qt::ShiftModifier));
        });
    } else {
        PressWatcher.reset();
        for (const auto& entry : Entries)
            entry->unhook();
        FormHook.reset();
    }
}

int TMoveSizer::AttachControl(QWidget* control)
{
    if (!control)
        return -1;
    for (const QWidget* w = control; w && w != form(); w = w->parentWidget())
        if (w->isHidden())
            return -1;
    const int known = entryIndex(control);
    if (known >= 0)
        return known;
    Entries.push_back(std::make_unique<TSizerEntry>(this, control));
    watchDeletion(control);
    if (ActiveValue)
        Entries.back()->hook(this);
    return controlCount() - 1;
}

int TMoveSizer::SelectTarget(QWidget* control)
{
    if (State != ssReady)
        return -1;
    const int known = targetIndex(control);
    if (known >= 0)
        return known;
    if (!control || control->isHidden() || control->isWindow())
        return -1;
    Targets.push_back(std::make_unique<TSizerTarget>(this, control, form()));
    TSizerTarget& added = *Targets.back();
    const int index = targetCount() - 1;
    for (int i = 0; i < kHandleCount; ++i)
        connect(added.handle(i), &TGrabHandle::pressed, this, &TMoveSizer::handlePressed);
    watchDeletion(control);
    restyleHandles();
    added.placeHandles(form());
    added.setHandlesVisible(true);
    AttachControl(control);
    focusForm();
    if (OnTargetChange)
        OnTargetChange(this);
    return index;
}

void TMoveSizer::DeselectTarget(QWidget* control)
{
    const int index = targetIndex(control);
    if (index < 0)
        return;
    Targets.erase(Targets.begin() + index);
    targetsChanged();
}

void TMoveSizer::DeselectAll()
{
    if (Targets.empty())
        return;
    Targets.clear();
    targetsChanged();
}

void TMoveSizer::PlaceHandles()
{
    for (const auto& target : Targets)
        target->placeHandles(form());
}

QWidget* TMoveSizer::control(int index) const
{
    return Entries[index]->control();
}

QWidget* TMoveSizer::form() const
{
    return Owner->window();
}

int TMoveSizer::entryIndex(const QWidget* control) const
{
    return IndexOf(Entries, control);
}

int TMoveSizer::targetIndex(const QWidget* control) const
{
    return IndexOf(Targets, control);
}

// Records of a control are dropped as soon as it is being deleted.
void TMoveSizer::watchDeletion(QWidget* control)
{
    connect(control, &QObject::destroyed, this, &TMoveSizer::forgetControl, Qt::UniqueConnection);
}

// The control is half destroyed: its records are dropped without touching it.
void TMoveSizer::forgetControl(QObject* control)
{
    if (FormHook && FormHook->control() == control) {
        FormHook->abandon();
        FormHook.reset();
    }
    const int entry = IndexOf(Entries, control);
    if (entry >= 0) {
        Entries[entry]->abandon();
        Entries.erase(Entries.begin() + entry);
    }
    const int target = IndexOf(Targets, control);
    if (target >= 0) {
        Targets.erase(Targets.begin() + target);
        targetsChanged();
    }
}

void TMoveSizer::targetsChanged()
{
    restyleHandles();
    if (OnTargetChange)
        OnTargetChange(this);
}

// All handles are allowed unless an aligned target forbids some of them;
// several targets are resized together only with MultiTargetResize.
void TMoveSizer::restyleHandles()
{
    unsigned mask = 0;
    if (MultiTargetResizeValue || Targets.size() == 1) {
        mask = kAllHandles;
        for (const auto& target : Targets)
            mask &= HandlesAllowedUnder(ControlAlign(target->control()));
    }
    if (MoveOnlyValue)
        mask = 0;
    for (const auto& target : Targets)
        target->styleHandles(mask, BtnColorValue, BtnColorDisabledValue);
}

bool TMoveSizer::anyTargetAligned() const
{
    return std::any_of(Targets.begin(), Targets.end(),
        [](const auto& target) { return ControlAlign(target->control()) != TAlign::None; });
}

bool TMoveSizer::handleEnabled(int index) const
{
    return !Targets.empty() && Targets.front()->handleAllowed(index);
}

// The form itself takes the keyboard, so that keys reach the component.
void TMoveSizer::focusForm()
{
    form()->setFocus(Qt::OtherFocusReason);
}

} // namespace k740

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
    , owner_(static_cast<QWidget*>(owner))
{
}

TMoveSizer::~TMoveSizer()
{
    endTracking();
    targets_.clear();
    entries_.clear();
    formHook_.reset();
    pressWatcher_.reset();
}

void TMoveSizer::setMoveOnly(bool moveOnly)
{
    if (moveOnly == moveOnly_)
        return;
    moveOnly_ = moveOnly;
    restyleHandles();
}

void TMoveSizer::setBtnColor(const QColor& colour)
{
    if (colour == btnColor_)
        return;
    btnColor_ = colour;
    restyleHandles();
}

void TMoveSizer::setBtnColorDisabled(const QColor& colour)
{
    if (colour == btnColorDisabled_)
        return;
    btnColorDisabled_ = colour;
    restyleHandles();
}

void TMoveSizer::setGridSize(int gridSize)
{
    gridSize_ = gridSize;
}

void TMoveSizer::setMultiTargetResize(bool multiTargetResize)
{
    if (multiTargetResize == multiTargetResize_)
        return;
    multiTargetResize_ = multiTargetResize;
    restyleHandles();
}

void TMoveSizer::setPopupMenu(QMenu* menu)
{
    popupMenu_ = menu;
}

void TMoveSizer::setActive(bool active)
{
    if (active == active_)
        return;
    cancelDrag();
    active_ = active;
    DeselectAll();
    if (active) {
        formHook_ = std::make_unique<TSizerEntry>(this, form());
        formHook_->hook(this);
        watchDeletion(form());
        for (const auto& entry : entries_)
            entry->hook(this);
        pressWatcher_ = std::make_unique<TPressWatcher>([this](QWidget* receiver, QMouseEvent* event) {
            childPressed(receiver, event->globalPosition().toPoint(), event->modifiers().testFlag(Qt::ShiftModifier));
        });
    } else {
        pressWatcher_.reset();
        for (const auto& entry : entries_)
            entry->unhook();
        formHook_.reset();
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
    entries_.push_back(std::make_unique<TSizerEntry>(this, control));
    watchDeletion(control);
    if (active_)
        entries_.back()->hook(this);
    return controlCount() - 1;
}

int TMoveSizer::SelectTarget(QWidget* control)
{
    if (state_ != ssReady)
        return -1;
    const int known = targetIndex(control);
    if (known >= 0)
        return known;
    if (!control || control->isHidden() || control->isWindow())
        return -1;
    targets_.push_back(std::make_unique<TSizerTarget>(this, control, form()));
    TSizerTarget& added = *targets_.back();
    const int index = targetCount() - 1;
    for (int i = 0; i < HandleCount; ++i)
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
    targets_.erase(targets_.begin() + index);
    targetsChanged();
}

void TMoveSizer::DeselectAll()
{
    if (targets_.empty())
        return;
    targets_.clear();
    targetsChanged();
}

void TMoveSizer::PlaceHandles()
{
    for (const auto& target : targets_)
        target->placeHandles(form());
}

QWidget* TMoveSizer::control(int index) const
{
    return entries_[index]->control();
}

QWidget* TMoveSizer::form() const
{
    return owner_->window();
}

int TMoveSizer::entryIndex(const QWidget* control) const
{
    return IndexOf(entries_, control);
}

int TMoveSizer::targetIndex(const QWidget* control) const
{
    return IndexOf(targets_, control);
}

// Records of a control are dropped as soon as it is being deleted.
void TMoveSizer::watchDeletion(QWidget* control)
{
    connect(control, &QObject::destroyed, this, &TMoveSizer::forgetControl, Qt::UniqueConnection);
}

// The control is half destroyed: its records are dropped without touching it.
void TMoveSizer::forgetControl(QObject* control)
{
    if (formHook_ && formHook_->control() == control) {
        formHook_->abandon();
        formHook_.reset();
    }
    const int entry = IndexOf(entries_, control);
    if (entry >= 0) {
        entries_[entry]->abandon();
        entries_.erase(entries_.begin() + entry);
    }
    const int target = IndexOf(targets_, control);
    if (target >= 0) {
        targets_.erase(targets_.begin() + target);
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
    if (multiTargetResize_ || targets_.size() == 1) {
        mask = AllHandles;
        for (const auto& target : targets_)
            mask &= HandlesAllowedUnder(ControlAlign(target->control()));
    }
    if (moveOnly_)
        mask = 0;
    for (const auto& target : targets_)
        target->styleHandles(mask, btnColor_, btnColorDisabled_);
}

bool TMoveSizer::anyTargetAligned() const
{
    return std::any_of(
        targets_.begin(), targets_.end(), [](const auto& target) { return ControlAlign(target->control()) != alNone; });
}

bool TMoveSizer::handleEnabled(int index) const
{
    return !targets_.empty() && targets_.front()->handleAllowed(index);
}

// The form itself takes the keyboard, so that keys reach the component.
void TMoveSizer::focusForm()
{
    form()->setFocus(Qt::OtherFocusReason);
}

} // namespace k740

#include "ui/settings_form_radio_group.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace k740 {

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent)
    , items_(new QButtonGroup(this))
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 2, 8, 2);
    const int rows = (int(items.size()) + columns - 1) / columns;
    for (int row = 0; row < items.size(); ++row) {
        auto* button = new QRadioButton(items[row], this);
        items_->addButton(button, row);
        grid->addWidget(button, row % rows, row / rows);
    }
}

int TRadioGroup::itemIndex() const
{
    return items_->checkedId();
}

void TRadioGroup::setItemIndex(int row)
{
    if (QAbstractButton* selected = items_->button(row)) {
        selected->setChecked(true);
        return;
    }
    // An exclusive group keeps one item checked; let go of it for a moment.
    items_->setExclusive(false);
    if (QAbstractButton* checked = items_->checkedButton())
        checked->setChecked(false);
    items_->setExclusive(true);
}

QAbstractButton* TRadioGroup::item(int row) const
{
    return items_->button(row);
}

} // namespace k740

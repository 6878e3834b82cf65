#include "ui/settings_form_radio_group.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace k740 {

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent)
    , Items(new QButtonGroup(this))
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 2, 8, 2);
    const int rows = (int(items.size()) + columns - 1) / columns;
    for (int row = 0; row < items.size(); ++row) {
        auto* button = new QRadioButton(items[row], this);
        Items->addButton(button, row);
        grid->addWidget(button, row % rows, row / rows);
    }
}

int TRadioGroup::itemIndex() const
{
    return Items->checkedId();
}

void TRadioGroup::setItemIndex(int row)
{
    if (QAbstractButton* selected = Items->button(row)) {
        selected->setChecked(true);
        return;
    }
    // An exclusive group keeps one item checked; let go of it for a moment.
    Items->setExclusive(false);
    if (QAbstractButton* checked = Items->checkedButton())
        checked->setChecked(false);
    Items->setExclusive(true);
}

QAbstractButton* TRadioGroup::item(int row) const
{
    return Items->button(row);
}

} // namespace k740

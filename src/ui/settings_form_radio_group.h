#pragma once
#include <QGroupBox>
#include <QStringList>

class QAbstractButton;
class QButtonGroup;

namespace k740 {

// A captioned group of radio buttons laid out in columns, of which at most
// one is selected; selected by its row.
class TRadioGroup : public QGroupBox {
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);

    // Row of the selected item; -1 when none is.
    int itemIndex() const;
    // Selects the item of `row`; a row outside the items selects none.
    void setItemIndex(int row);
    QAbstractButton* item(int row) const;

private:
    QButtonGroup* Items;
};

} // namespace k740

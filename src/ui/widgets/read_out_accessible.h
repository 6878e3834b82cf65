#pragma once
#include <QAccessibleWidget>

namespace k740 {

class TReadOut;

// What assistive technology sees of a read-out: a text whose name and value
// are the text the read-out shows (the widget paints it, so Qt's own
// interface would see an empty frame).
class TReadOutAccessible : public QAccessibleWidget {
public:
    explicit TReadOutAccessible(TReadOut* readOut);
    QString text(QAccessible::Text kind) const override;
};

// Makes Qt create a TReadOutAccessible for every TReadOut; once is enough.
void InstallReadOutAccessibility();

} // namespace k740

#pragma once
#include <QAccessibleWidget>

namespace k740 {

class TReadOut;

// What assistive technology sees of a read-out: a read-only text, the text
// the read-out shows, which is also its name unless it has one of its own
// (the widget paints it, so Qt's own interface would see an empty frame).
// Read through the text or the name, it is always the newest text.
class TReadOutAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TReadOutAccessible(TReadOut* readOut);
    QString text(QAccessible::Text kind) const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // The text interface, read only: no caret, no selection, no attributes.
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override { }
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    const QString& shown() const;
};

// Makes Qt create a TReadOutAccessible for every TReadOut; once is enough.
void InstallReadOutAccessibility();

} // namespace k740

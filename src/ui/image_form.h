#pragma once
#include "ui/timing_diagram.h"

#include <QDialog>

class QLabel;

namespace k740 {

// Timing-diagram window: shows the SSI or the BiSS-C timing diagram at the
// picture's own size beside the settings dialog. Created once at start;
// closing it only hides it.
class TImageForm : public QDialog {
    Q_OBJECT
public:
    explicit TImageForm(QWidget* parent);

    // Shows `diagram`: closes the window if it is open, then shows it again,
    // not modal, so that it is centred and sized for the new picture. A modal
    // dialog that opens it (the settings dialog) does not block it.
    void openDiagram(TTimingDiagram diagram);

    void FormCreate();
    void FormShow();

    // Controls (named as in the window's design).
    QLabel* Image1; // SSI
    QLabel* Image2; // BiSS-C

protected:
    void showEvent(QShowEvent* event) override;

private:
    void centreOnScreen();

    TTimingDiagram Diagram = TTimingDiagram::None;
};

} // namespace k740

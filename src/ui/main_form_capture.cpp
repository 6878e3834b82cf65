// The capture list's text box: it shows the session's capture list, and
// hands the user's edits back to it.
#include "ui/main_form.h"

#include "ui/widgets/up_down.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <utility>

namespace k740 {

void TMainForm::connectCaptureList()
{
    connect(ui.DataMemo, &QPlainTextEdit::textChanged, this, &TMainForm::followCaptureEdits);
    connect(ui.udCaptureInterval, &TUpDown::positionChanged, this,
        [this](int ms) { Session.setCaptureInterval(uint16_t(ms)); });
    connect(&Session, &TInterfaceSession::lineCaptured, this, &TMainForm::showCapture);
}

// The list's lines are the text box's paragraphs, as they are counted
// against the cap.
void TMainForm::followCaptureEdits()
{
    if (ShowingCapture)
        return;
    QStringList lines;
    for (QTextBlock block = ui.DataMemo->document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    Session.editCaptures(std::move(lines));
}

// Writes the line into an empty last line, or else appends it as a new
// line; the cursor and the scroll position follow as for any appended text.
void TMainForm::showCapture(const QString& line)
{
    ShowingCapture = true;
    QTextDocument* lines = ui.DataMemo->document();
    if (lines->isEmpty() || !lines->lastBlock().text().isEmpty()) {
        ui.DataMemo->appendPlainText(line);
    } else {
        QTextCursor end(lines);
        end.movePosition(QTextCursor::End);
        end.insertText(line);
    }
    ShowingCapture = false;
}

// A full list unticks the list's check box: the automatic capture stops
// until the user ticks it again.
void TMainForm::autoCaptureStep()
{
    if (ui.cbAutoCapture->isChecked() && Session.autoCaptureStep() == TAutoCapture::ListFull)
        ui.cbAutoCapture->setChecked(false);
}

// Shows or hides the capture list and switches capturing with it; the list
// keeps its lines while hidden. The row of read-outs takes the width left
// of it.
void TMainForm::showCaptureList(bool shown)
{
    Session.setAutoCapture(shown);
    ui.DataPanel->setVisible(shown);
    FormResize();
}

} // namespace k740

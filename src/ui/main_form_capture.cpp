// The capture list: positions captured on request and at intervals.
#include "ui/main_form.h"

#include "platform/tick_counter.h"
#include "ui/widgets/up_down.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

namespace k740 {

namespace {
// A text that ends with a line break has an empty last line, which is not
// counted until something is written into it.
bool endsWithEmptyLine(const QTextDocument* lines)
{
    return lines->lastBlock().text().isEmpty();
}

// Writes `line` into an empty last line, or else appends it as a new line.
void appendLine(QPlainTextEdit* memo, const QString& line)
{
    QTextDocument* lines = memo->document();
    if (lines->isEmpty() || !endsWithEmptyLine(lines)) {
        memo->appendPlainText(line);
        return;
    }
    QTextCursor end(lines);
    end.movePosition(QTextCursor::End);
    end.insertText(line);
}
} // namespace

int TMainForm::captureLineCount() const
{
    const QTextDocument* lines = ui.DataMemo->document();
    return lines->blockCount() - (endsWithEmptyLine(lines) ? 1 : 0);
}

bool TMainForm::CaptureReadOut()
{
    const QString text = Session.readOutText();
    if (text.isEmpty() || !Session.options().AutoCapture || captureLineCount() >= kMaxCaptureLines)
        return false;
    appendLine(ui.DataMemo, text);
    return true;
}

// Captures when more than the interval has passed since the last capture
// (tick difference, so the counter's wrap-around does not matter). A full
// list stops the automatic capture; an empty read-out is skipped.
void TMainForm::autoCaptureStep()
{
    if (!Session.options().AutoCapture || !ui.cbAutoCapture->isChecked())
        return;
    const uint32_t interval = uint16_t(ui.udCaptureInterval->position());
    const uint32_t now = GetTickCount();
    if (uint32_t(now - LastCaptureTick) <= interval)
        return;
    LastCaptureTick = now;
    if (captureLineCount() >= kMaxCaptureLines)
        ui.cbAutoCapture->setChecked(false);
    else
        CaptureReadOut();
}

// Shows or hides the capture list and switches capturing with it; the list
// keeps its lines while hidden.
void TMainForm::showCaptureList(bool shown)
{
    Session.setAutoCapture(shown);
    ui.DataPanel->setVisible(shown);
    if (shown)
        PlaceCaptureList();
}

QStringList TMainForm::CapturedLines() const
{
    QStringList lines = ui.DataMemo->toPlainText().split('\n');
    if (endsWithEmptyLine(ui.DataMemo->document()))
        lines.removeLast();
    return lines;
}

} // namespace k740

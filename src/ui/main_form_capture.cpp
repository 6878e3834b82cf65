// The capture list: positions captured on request.
#include "ui/main_form.h"

#include <QPlainTextEdit>
#include <QTextBlock>

namespace k740 {

int TMainForm::captureLineCount() const
{
    const QTextDocument* lines = ui.DataMemo->document();
    return lines->isEmpty() ? 0 : lines->blockCount();
}

bool TMainForm::CaptureReadOut()
{
    const QString text = Session.readOutText();
    if (text.isEmpty() || !Session.options().AutoCapture || captureLineCount() >= kMaxCaptureLines)
        return false;
    ui.DataMemo->appendPlainText(text);
    return true;
}

QStringList TMainForm::CapturedLines() const
{
    const QString text = ui.DataMemo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split('\n');
}

} // namespace k740

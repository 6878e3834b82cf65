#pragma once
#include "acquisition/trend_buffer.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <cstdint>

class QAbstractButton;
class QButtonGroup;

namespace k740 {

class TInterfaceSession;
class TTrendPlot;

// The trend window: the last cycles' position and speed, and the link's
// faults, on one time axis. Space pauses and resumes, Ctrl+S exports what
// is shown (CSV or PNG), Ctrl+C copies the picture, Esc or Ctrl+Shift+T
// closes. While it is shown it repaints at most once per refresh of its
// screen and once per pixel column's time; hidden, it does nothing.
class TTrendForm : public QWidget {
    Q_OBJECT
public:
    TTrendForm(const TTrendBuffer& buffer, const TInterfaceSession& session, QWidget* mainWindow);

    // Shows the window beside the main window, inside the screen.
    void open();
    // Places it beside the main window again when that moved or resized
    // shortly after the trend opened.
    void followMainWindow();
    // Writes what is shown to `fileName`: PNG for a ".png" name, else CSV.
    // A failure is said in a message box; false then.
    bool exportShown(const QString& fileName);
    void copyPicture();
    void togglePause();

    const TTrendPlot& plot() const { return *Plot; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void placeBesideMainWindow();
    void chooseSpan(QAbstractButton* button);
    void exportWithDialog();
    void refresh();
    int refreshIntervalMs() const;

    const TTrendBuffer& Buffer;
    const TInterfaceSession& Session;
    QWidget* MainWindow;
    TTrendPlot* Plot;
    QButtonGroup* Spans;
    QAbstractButton* PauseButton;
    QTimer RefreshTimer;
    QElapsedTimer Placed;
};

} // namespace k740

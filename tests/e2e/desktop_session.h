#pragma once
// A private X display with a window manager: Xvfb with openbox, driven and
// read with xdotool and the X utilities, for tests of the program as a
// desktop user sees it.
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class DesktopSession {
public:
    explicit DesktopSession(QSize screen);
    ~DesktopSession();

    // Empty when the session runs; else what is missing or failed.
    const QString& problem() const { return problem_; }
    QString display() const { return display_; }

    // Runs an X client on the display; its standard output, or empty on failure.
    QString run(const QString& program, const QStringList& arguments, int timeoutMs = 5000) const;
    // The visible top-level window titled `title`, waiting up to timeoutMs; 0 if none.
    qulonglong findWindow(const QString& title, int timeoutMs = 10000) const;
    // Client area in screen coordinates, and the frame the window manager drew around it.
    QRect clientBounds(qulonglong window) const;
    QRect outerBounds(qulonglong window) const;
    // Waits until the window's outer bounds stay put for a moment.
    QRect settledOuterBounds(qulonglong window) const;
    // Blank-separated xdotool key names, e.g. "Right shift+Down".
    void key(qulonglong window, const QString& keys) const;
    void click(QPoint screenPos) const;
    void screenshot(const QString& path) const;

private:
    QTemporaryDir dir_;
    QProcess xvfb_;
    QProcess windowManager_;
    QString display_;
    QString problem_;
};

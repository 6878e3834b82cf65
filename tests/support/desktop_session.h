#pragma once
// A private X display, with or without a window manager: Xvfb with openbox,
// driven and read with xdotool and the X utilities, for tests of the program
// as a desktop user sees it.
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

class ProgramProcess;

enum class WindowManager { None, Openbox };

// The window's size limits as its size hints give them; an empty size where
// it sets none.
struct SizeLimits {
    QSize minimum;
    QSize maximum;
    bool operator==(const SizeLimits& other) const { return minimum == other.minimum && maximum == other.maximum; }
};

class DesktopSession {
public:
    // With openbox, Super+F11 toggles full screen (openbox's own settings
    // bind no key to it).
    explicit DesktopSession(QSize screen, WindowManager manager = WindowManager::Openbox);
    ~DesktopSession();

    // Empty when the session runs; else what is missing or failed.
    const QString& problem() const { return problem_; }
    QString display() const { return display_; }
    bool hasWindowManager() const { return manager_ != WindowManager::None; }

    // Runs an X client on the display; its standard output, or empty on failure.
    QString run(const QString& program, const QStringList& arguments, int timeoutMs = 5000) const;
    // Starts `program` on the display (Qt's xcb platform) and waits for its
    // main window, framed and settled; 0 if it does not show.
    qulonglong openProgram(ProgramProcess& program, const QString& vportDir, const QStringList& arguments,
        const QStringList& environment = {}) const;
    // The visible top-level window titled `title`, waiting up to timeoutMs; 0 if none.
    qulonglong findWindow(const QString& title, int timeoutMs = 10000) const;
    // Waits until no visible window is titled `title`.
    bool windowGone(const QString& title, int timeoutMs = 5000) const;
    // Client area in screen coordinates, and the frame the window manager drew around it.
    QRect clientBounds(qulonglong window) const;
    QRect outerBounds(qulonglong window) const;
    // Waits until the window's outer bounds stay put for a moment.
    QRect settledOuterBounds(qulonglong window) const;
    SizeLimits sizeLimits(qulonglong window) const;
    // Where openbox's default theme puts the title bar's buttons (at its
    // right end: minimise, maximise, close), and the middle of the title.
    enum class TitleButton { Minimise, Maximise, Close };
    QPoint titleButton(qulonglong window, TitleButton button) const;
    QPoint title(qulonglong window) const;
    // The atoms of _NET_WM_STATE, e.g. "_NET_WM_STATE_FULLSCREEN".
    QStringList states(qulonglong window) const;
    bool waitForState(qulonglong window, const QString& state, bool present, int timeoutMs = 5000) const;
    // What the window manager did to the window while `action` ran and for
    // `settleMs` after it: the client bounds it gave the window, in screen
    // coordinates, and whether it unmapped it (minimised). Read from the
    // events themselves: a state the program undoes at once is gone before
    // its property can be read.
    struct Changes {
        QList<QRect> bounds;
        bool unmapped = false;
    };
    Changes changesDuring(qulonglong window, const std::function<void()>& action, int settleMs = 1500) const;
    // Blank-separated xdotool key names, e.g. "Right shift+Down".
    void key(qulonglong window, const QString& keys) const;
    // A key pressed in the active window while `modifier` is held down
    // (e.g. "super", "F11").
    void chord(qulonglong window, const QString& modifier, const QString& key) const;
    void click(QPoint screenPos) const;
    void doubleClick(QPoint screenPos) const;
    void screenshot(const QString& path) const;

private:
    bool writeOpenboxSettings(const QString& path);
    void activate(qulonglong window) const;

    QTemporaryDir dir_;
    QProcess xvfb_;
    QProcess windowManager_;
    WindowManager manager_;
    QString display_;
    QString problem_;
};

#include "support/desktop_session.h"
#include "support/e2e_harness.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

namespace {

void Stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(1000);
    }
}

int Field(const QString& text, const QString& label)
{
    const QRegularExpressionMatch m
        = QRegularExpression(QRegularExpression::escape(label) + R"(:\s*(-?\d+))").match(text);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

// "program specified minimum size: 958 by 290"
QSize HintSize(const QString& hints, const QString& which)
{
    const QRegularExpressionMatch m = QRegularExpression(which + R"( size: (\d+) by (\d+))").match(hints);
    return m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
}

QStringList Atoms(const QString& text)
{
    QStringList atoms;
    auto it = QRegularExpression(R"(_NET_WM_STATE_\w+)").globalMatch(text);
    while (it.hasNext())
        atoms << it.next().captured(0);
    return atoms;
}

} // namespace

DesktopSession::DesktopSession(QSize screen, WindowManager manager)
    : manager_(manager)
{
    QStringList tools{"Xvfb", "xdotool", "xwininfo", "xprop"};
    if (manager == WindowManager::Openbox)
        tools << "openbox";
    for (const QString& tool : tools) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            problem_ = QString("%1 is not installed (scripts/install-deps installs it)").arg(tool);
            return;
        }
    }
    // Xvfb picks a free display and writes its number to the file.
    const QString numberFile = dir_.filePath("display");
    xvfb_.start("sh",
        {"-c",
            QString("exec Xvfb -displayfd 3 -nolisten tcp -screen 0 %1x%2x24 3>\"$0\" 2>/dev/null")
                .arg(screen.width())
                .arg(screen.height()),
            numberFile});
    QDeadlineTimer deadline(30000); // generous: a busy machine starts X slowly
    while (!deadline.hasExpired() && display_.isEmpty() && xvfb_.state() != QProcess::NotRunning) {
        QFile file(numberFile);
        if (file.open(QIODevice::ReadOnly) && file.readAll().endsWith('\n')) {
            file.seek(0);
            display_ = ":" + QString::fromLatin1(file.readAll()).trimmed();
        }
        QThread::msleep(50);
    }
    if (display_.isEmpty()) {
        problem_ = "Xvfb did not start";
        return;
    }
    if (manager == WindowManager::None)
        return;
    const QString settings = dir_.filePath("rc.xml");
    if (!writeOpenboxSettings(settings)) {
        problem_ = "openbox's settings (/etc/xdg/openbox/rc.xml) are missing";
        return;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display_);
    windowManager_.setProcessEnvironment(env);
    windowManager_.setStandardOutputFile(QProcess::nullDevice());
    const QString log = dir_.filePath("openbox.log");
    windowManager_.setStandardErrorFile(log);
    windowManager_.start("openbox", {"--sm-disable", "--config-file", settings});
    // The window manager is up once it names itself on the root window.
    while (!deadline.hasExpired()) {
        if (run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id"))
            return;
        QThread::msleep(50);
    }
    QFile messages(log);
    problem_ = "openbox did not start";
    if (messages.open(QIODevice::ReadOnly))
        problem_ += ": " + QString::fromLocal8Bit(messages.readAll()).simplified();
}

DesktopSession::~DesktopSession()
{
    Stop(windowManager_);
    Stop(xvfb_);
}

// openbox's own settings with one key binding added for full screen.
bool DesktopSession::writeOpenboxSettings(const QString& path)
{
    QFile system("/etc/xdg/openbox/rc.xml");
    if (!system.open(QIODevice::ReadOnly))
        return false;
    QByteArray settings = system.readAll();
    const QByteArray keyboard = "<keyboard>";
    const qsizetype at = settings.indexOf(keyboard);
    if (at < 0)
        return false;
    settings.insert(at + keyboard.size(), R"(<keybind key="W-F11"><action name="ToggleFullscreen"/></keybind>)");
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(settings) == settings.size();
}

QString DesktopSession::run(const QString& program, const QStringList& arguments, int timeoutMs) const
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display_);
    process.setProcessEnvironment(env);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    return process.exitCode() == 0 ? QString::fromLocal8Bit(process.readAllStandardOutput()) : QString();
}

qulonglong DesktopSession::openProgram(ProgramProcess& program, const QString& vportDir, const QStringList& arguments,
    const QStringList& environment) const
{
    program.start(vportDir, arguments, QStringList{"QT_QPA_PLATFORM=xcb", "DISPLAY=" + display_} + environment);
    const qulonglong window = findWindow("K740 USB Encoder Interface");
    if (window)
        settledOuterBounds(window);
    return window;
}

qulonglong DesktopSession::findWindow(const QString& title, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QString found = run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"});
        if (!found.trimmed().isEmpty())
            return found.split('\n').first().toULongLong();
        QThread::msleep(50);
    }
    return 0;
}

bool DesktopSession::windowGone(const QString& title, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"}).trimmed().isEmpty())
            return true;
        QThread::msleep(50);
    }
    return false;
}

QRect DesktopSession::clientBounds(qulonglong window) const
{
    const QString info = run("xwininfo", {"-id", QString::number(window)});
    return QRect(Field(info, "Absolute upper-left X"), Field(info, "Absolute upper-left Y"), Field(info, "Width"),
        Field(info, "Height"));
}

// _NET_FRAME_EXTENTS: left, right, top, bottom.
QRect DesktopSession::outerBounds(qulonglong window) const
{
    const QString extents = run("xprop", {"-id", QString::number(window), "_NET_FRAME_EXTENTS"});
    const QStringList parts = extents.section('=', 1).split(',');
    const QRect client = clientBounds(window);
    if (parts.size() != 4)
        return client;
    return client.adjusted(-parts[0].trimmed().toInt(), -parts[2].trimmed().toInt(), parts[1].trimmed().toInt(),
        parts[3].trimmed().toInt());
}

QRect DesktopSession::settledOuterBounds(qulonglong window) const
{
    QRect last = outerBounds(window);
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        QThread::msleep(300);
        const QRect now = outerBounds(window);
        if (now == last)
            return now;
        last = now;
    }
    return last;
}

SizeLimits DesktopSession::sizeLimits(qulonglong window) const
{
    const QString hints = run("xprop", {"-id", QString::number(window), "WM_NORMAL_HINTS"});
    return {HintSize(hints, "minimum"), HintSize(hints, "maximum")};
}

QPoint DesktopSession::titleButton(qulonglong window, TitleButton button) const
{
    const QRect outer = outerBounds(window);
    const int fromRight = button == TitleButton::Close ? 11 : button == TitleButton::Maximise ? 27 : 43;
    return {outer.right() - fromRight, outer.top() + 10};
}

QPoint DesktopSession::title(qulonglong window) const
{
    const QRect outer = outerBounds(window);
    return {outer.center().x(), outer.top() + 10};
}

QStringList DesktopSession::states(qulonglong window) const
{
    return Atoms(run("xprop", {"-id", QString::number(window), "_NET_WM_STATE"}));
}

bool DesktopSession::waitForState(qulonglong window, const QString& state, bool present, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (states(window).contains(state) == present)
            return true;
        QThread::msleep(50);
    }
    return false;
}

// xev reports the window's events; a property set on the window shows that
// it listens before the action starts. The window manager's own (synthetic)
// ConfigureNotify events carry screen coordinates.
DesktopSession::Changes DesktopSession::changesDuring(
    qulonglong window, const std::function<void()>& action, int settleMs) const
{
    const QString id = QString::number(window);
    QProcess watcher;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display_);
    watcher.setProcessEnvironment(env);
    watcher.start("xev", {"-id", id, "-event", "structure", "-event", "property"});
    watcher.waitForStarted(2000);
    QByteArray seen;
    QDeadlineTimer listening(3000);
    while (!listening.hasExpired() && !seen.contains("_K740_WATCH")) {
        run("xprop", {"-id", id, "-f", "_K740_WATCH", "8s", "-set", "_K740_WATCH", "1"});
        watcher.waitForReadyRead(200);
        seen += watcher.readAllStandardOutput();
    }
    action();
    QThread::msleep(settleMs);
    watcher.kill();
    watcher.waitForFinished(1000);
    const QString events = QString::fromLocal8Bit(seen + watcher.readAllStandardOutput());
    Changes changes;
    auto it = QRegularExpression(
        R"(ConfigureNotify event, serial \d+, synthetic YES,[^(]*\((-?\d+),(-?\d+)\), width (\d+), height (\d+))")
                  .globalMatch(events);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        changes.bounds << QRect(
            m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    }
    changes.unmapped = events.contains("UnmapNotify event");
    return changes;
}

// Without a window manager nothing activates windows: the focus is set.
void DesktopSession::activate(qulonglong window) const
{
    run("xdotool", {hasWindowManager() ? "windowactivate" : "windowfocus", "--sync", QString::number(window)});
}

// Typed as a user types: into the active window.
void DesktopSession::key(qulonglong window, const QString& keys) const
{
    activate(window);
    run("xdotool", QStringList{"key", "--delay", "50"} + keys.split(' '));
}

void DesktopSession::chord(qulonglong window, const QString& modifier, const QString& key) const
{
    activate(window);
    run("xdotool", {"keydown", modifier, "key", key, "keyup", modifier});
}

// Without --sync: xdotool 3.20160805 waits 15 s for the pointer to leave
// its place when it is moved to where it already is. One xdotool run sends
// the move before the buttons.
void DesktopSession::click(QPoint screenPos) const
{
    run("xdotool", {"mousemove", QString::number(screenPos.x()), QString::number(screenPos.y()), "click", "1"});
}

void DesktopSession::doubleClick(QPoint screenPos) const
{
    run("xdotool",
        {"mousemove", QString::number(screenPos.x()), QString::number(screenPos.y()), "click", "--repeat", "2",
            "--delay", "80", "1"});
}

void DesktopSession::screenshot(const QString& path) const
{
    run("import", {"-window", "root", path}, 10000);
}

#include "e2e/desktop_session.h"

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

} // namespace

DesktopSession::DesktopSession(QSize screen)
{
    for (const char* tool : {"Xvfb", "openbox", "xdotool", "xwininfo", "xprop"}) {
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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display_);
    windowManager_.setProcessEnvironment(env);
    windowManager_.setStandardOutputFile(QProcess::nullDevice());
    windowManager_.setStandardErrorFile(QProcess::nullDevice());
    windowManager_.start("openbox", {"--sm-disable"});
    // The window manager is up once it names itself on the root window.
    while (!deadline.hasExpired()) {
        if (run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id"))
            return;
        QThread::msleep(50);
    }
    problem_ = "openbox did not start";
}

DesktopSession::~DesktopSession()
{
    Stop(windowManager_);
    Stop(xvfb_);
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

qulonglong DesktopSession::findWindow(const QString& title, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QString found = run("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"});
        if (!found.trimmed().isEmpty())
            return found.split('\n').first().toULongLong();
        QThread::msleep(100);
    }
    return 0;
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

// Typed as a user types: into the active window.
void DesktopSession::key(qulonglong window, const QString& keys) const
{
    run("xdotool", {"windowactivate", "--sync", QString::number(window)});
    run("xdotool", QStringList{"key", "--delay", "50"} + keys.split(' '));
}

void DesktopSession::click(QPoint screenPos) const
{
    run("xdotool",
        {"mousemove", "--sync", QString::number(screenPos.x()), QString::number(screenPos.y()), "click", "1"});
}

void DesktopSession::screenshot(const QString& path) const
{
    run("import", {"-window", "root", path}, 10000);
}

#include "desktop/wayland_session.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QThread>

namespace {
const char kSocket[] = "k740-test-wayland";
} // namespace

WaylandSession::WaylandSession()
{
    const QString qtWayland = QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/libqwayland-generic.so";
    if (QStandardPaths::findExecutable("weston").isEmpty())
        problem_ = "weston is not installed (scripts/install-deps installs it)";
    else if (!QFileInfo::exists(qtWayland))
        problem_ = "Qt's Wayland platform (qt6-wayland) is not installed (scripts/install-deps installs it)";
    else if (!runtimeDir_.isValid())
        problem_ = "no private runtime folder";
    if (!problem_.isEmpty())
        return;
    QFile::setPermissions(runtimeDir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtimeDir_.path());
    env.remove("WAYLAND_DISPLAY");
    env.remove("DISPLAY");
    weston_.setProcessEnvironment(env);
    weston_.setStandardOutputFile(QProcess::nullDevice());
    weston_.setStandardErrorFile(runtimeDir_.filePath("weston.log"));
    // The pixman renderer draws what a screenshot shows (the backend's default
    // draws nothing); --debug lets weston-screenshooter ask for one.
    weston_.start("weston",
        {"--backend=headless-backend.so", "--use-pixman", "--width=1600", "--height=900", "--idle-time=0", "--debug",
            QString("--socket=") + kSocket});
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && weston_.state() != QProcess::NotRunning) {
        if (QFileInfo::exists(runtimeDir_.filePath(kSocket)))
            return;
        QThread::msleep(50);
    }
    QFile log(runtimeDir_.filePath("weston.log"));
    log.open(QIODevice::ReadOnly);
    problem_ = "weston did not start: " + QString::fromLocal8Bit(log.readAll()).trimmed().section('\n', -3);
}

WaylandSession::~WaylandSession()
{
    if (weston_.state() == QProcess::NotRunning)
        return;
    weston_.terminate();
    if (!weston_.waitForFinished(3000)) {
        weston_.kill();
        weston_.waitForFinished(1000);
    }
}

QStringList WaylandSession::clientEnvironment() const
{
    return {"XDG_RUNTIME_DIR=" + runtimeDir_.path(), QString("WAYLAND_DISPLAY=") + kSocket, "QT_QPA_PLATFORM=wayland",
        "DISPLAY="};
}

bool WaylandSession::screenshot(const QString& path) const
{
    QTemporaryDir shots; // weston-screenshooter names its file by the time
    QProcess shooter;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& variable : clientEnvironment())
        env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    shooter.setProcessEnvironment(env);
    shooter.setWorkingDirectory(shots.path());
    shooter.start("weston-screenshooter", {});
    if (!shooter.waitForFinished(10000) || shooter.exitCode() != 0)
        return false;
    const QStringList taken = QDir(shots.path()).entryList({"*.png"});
    return !taken.isEmpty() && QFile::rename(shots.filePath(taken.first()), path);
}

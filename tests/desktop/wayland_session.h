#pragma once
// A private Wayland compositor: weston with its headless backend on a
// socket of its own, for tests of the program as a Wayland desktop runs it.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class WaylandSession {
public:
    WaylandSession();
    ~WaylandSession();

    // Empty when the compositor runs; else what is missing or failed.
    const QString& problem() const { return problem_; }
    // The variables a client needs to reach the compositor ("NAME=value").
    QStringList clientEnvironment() const;
    // Saves what the compositor shows as a PNG file (weston-screenshooter).
    bool screenshot(const QString& path) const;

private:
    QTemporaryDir runtimeDir_; // XDG_RUNTIME_DIR: the socket lives here
    QProcess weston_;
    QString problem_;
};
